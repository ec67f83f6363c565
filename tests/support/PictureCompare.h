#pragma once

#include "platform/screen/Geometry.h"
#include "platform/screen/Surface.h"

namespace quelt::test {

// Whether two pictures differ inside an area of both.
[[nodiscard]] inline bool Differ(const platform::Surface& a, const platform::Surface& b, const platform::Rect& area) {
  for (int y = area.y; y < area.y + area.height; ++y) {
    for (int x = area.x; x < area.x + area.width; ++x) {
      if (a.PixelAt(x, y) != b.PixelAt(x, y)) return true;
    }
  }
  return false;
}

// The same size and the same pixels.
[[nodiscard]] inline bool SamePicture(const platform::Surface& a, const platform::Surface& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && !Differ(a, b, {0, 0, a.Width(), a.Height()});
}

}  // namespace quelt::test
