#pragma once

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
  ~Surface();
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  [[nodiscard]] int Width() const;
  [[nodiscard]] int Height() const;

  // Clipped to the surface.
  void Fill(const Rect& area, Color color);
  void Frame(const Rect& area, Color color);  // a one-pixel outline

  [[nodiscard]] Color PixelAt(int x, int y) const;

  // For the screen layer's own use (fonts, the display).
  [[nodiscard]] SDL_Surface* Raw() const { return surface_; }

 private:
  explicit Surface(SDL_Surface* surface) : surface_(surface) {}
  SDL_Surface* surface_;
};

}  // namespace quelt::platform
