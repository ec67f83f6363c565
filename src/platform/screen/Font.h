#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/screen/Geometry.h"

namespace quelt::platform {

class Surface;

// A font found by face name through fontconfig (a face that is not installed falls back to the
// system's sans-serif, normally DejaVu Sans), opened at a pixel size. Thread-compatible: use one
// Font from one thread at a time.
class Font {
 public:
  [[nodiscard]] static std::shared_ptr<Font> Open(std::string_view face, int pixelSize, bool bold);
  ~Font();
  Font(const Font&) = delete;
  Font& operator=(const Font&) = delete;

  [[nodiscard]] int Height() const;
  [[nodiscard]] int TextWidth(std::u16string_view text) const;

  // Draws the text with its top-left corner at (x, y), clipped to `clip`.
  void Draw(Surface& surface, int x, int y, std::u16string_view text, Color color, const Rect& clip) const;
  // The text rendered once, to be drawn many times; nothing for empty text.
  [[nodiscard]] std::unique_ptr<Surface> Render(std::u16string_view text, Color color) const;

 private:
  struct Handle;
  explicit Font(std::unique_ptr<Handle> handle);
  std::unique_ptr<Handle> handle_;
};

}  // namespace quelt::platform
