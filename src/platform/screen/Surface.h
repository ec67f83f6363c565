#pragma once

#include <filesystem>
#include <memory>

#include "platform/screen/Geometry.h"

struct SDL_Surface;

namespace quelt::platform {

// A software drawing surface in 32-bit RGB. Works without a display, so windows can be painted
// in tests.
class Surface {
 public:
  // Nothing when the size is not positive or memory runs out.
  [[nodiscard]] static std::unique_ptr<Surface> Create(int width, int height);
  // Takes over an SDL surface (rendered text, say); its pixels blend by their alpha when drawn.
  [[nodiscard]] static std::unique_ptr<Surface> Adopt(SDL_Surface* surface);
  // Draws into a surface that stays someone else's (a host's screen handed to a plugin).
  [[nodiscard]] static std::unique_ptr<Surface> Borrow(SDL_Surface* surface);
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  [[nodiscard]] int Width() const;
  [[nodiscard]] int Height() const;

  // Clipped to the surface.
  void Fill(const Rect& area, Color color);
  void Frame(const Rect& area, Color color);  // a one-pixel outline
  // Draws `source` with its top-left corner at (x, y), clipped to `clip` and to this surface.
  void Draw(const Surface& source, int x, int y, const Rect& clip);
  // Copies `source` scaled by a whole factor into `area` (the display's window).
  void DrawScaled(const Surface& source, const Rect& area);

  [[nodiscard]] Color PixelAt(int x, int y) const;

  // A picture of the surface as a PNG file (screenshots, reference images); false when it could
  // not be written.
  [[nodiscard]] bool SavePng(const std::filesystem::path& file) const;
  // A PNG file read back into a surface like those Create makes; nothing when it cannot be read.
  [[nodiscard]] static std::unique_ptr<Surface> LoadPng(const std::filesystem::path& file);

  // For the screen layer's own use (fonts, the display).
  [[nodiscard]] SDL_Surface* Raw() const { return surface_; }

 private:
  Surface(SDL_Surface* surface, bool owned) : surface_(surface), owned_(owned) {}
  SDL_Surface* surface_;
  bool owned_;
};

}  // namespace quelt::platform
