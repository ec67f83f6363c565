#pragma once

#include <optional>
#include <string_view>

#include "platform/screen/Geometry.h"
#include "platform/screen/Input.h"

namespace quelt::ui {

class Painter;

// The bar at the bottom of every screen with the labels of the two soft keys (F1 and F2).
class SoftKeyBar {
 public:
  // The bar's place on a screen of that size.
  [[nodiscard]] static platform::Rect Area(int screenWidth, int screenHeight);

  static void Paint(Painter& painter, const platform::Rect& area, std::u16string_view left, std::u16string_view right);

  // The soft key a click at (x, y) presses: the left or the right half of the bar.
  [[nodiscard]] static std::optional<platform::Key> KeyAt(const platform::Rect& area, int x, int y);
};

}  // namespace quelt::ui
