#pragma once

#include <string_view>

#include "platform/screen/Geometry.h"

namespace quelt::platform {
class Font;
class Image;
class Surface;
}  // namespace quelt::platform

namespace quelt::ui {

class TextCache;

// Draws into a surface through a clip rectangle and an origin, which a part of a window narrows
// and moves for its own drawing and which come back when the scope ends. Nothing reaches past it
// to the surface. Main thread.
class Painter {
 public:
  Painter(platform::Surface& target, TextCache& text);
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  // The clip in the current coordinates.
  [[nodiscard]] platform::Rect Clip() const;
  [[nodiscard]] int Width() const;   // of the target
  [[nodiscard]] int Height() const;  // of the target

  void Fill(const platform::Rect& area, platform::Color color);
  void Frame(const platform::Rect& area, platform::Color color);
  // The text with its top-left corner at (x, y).
  void Text(const platform::Font& font, int x, int y, std::u16string_view text, platform::Color color);
  void Image(platform::Image& image, int x, int y, int frame = 0);

  // Narrows the clip to `area` and moves the origin to its corner until the scope ends.
  class Scope {
   public:
    Scope(Painter& painter, const platform::Rect& area);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Painter& painter_;
    const platform::Rect clip_;
    const int originX_;
    const int originY_;
  };

 private:
  [[nodiscard]] platform::Rect ToTarget(const platform::Rect& area) const;

  platform::Surface& target_;
  TextCache& text_;
  platform::Rect clip_;  // in target coordinates
  int originX_ = 0;
  int originY_ = 0;
};

using platform::Intersect;

}  // namespace quelt::ui
