#pragma once

#include <optional>
#include <string_view>

#include "platform/screen/Geometry.h"
#include "platform/screen/Input.h"

namespace quelt::platform {
class Font;
class Surface;
}  // namespace quelt::platform

namespace quelt::ui {

struct Look;

// The bar at the bottom of every screen with the labels of the two soft keys.
class SoftKeyBar {
 public:
  // The bar's place on a screen of the given size, sized for the font (or a fixed height without one).
  [[nodiscard]] static platform::Rect Area(int screenWidth, int screenHeight, const platform::Font* font);

  static void Paint(platform::Surface& surface, const platform::Rect& area, const Look& look,
                    const platform::Font* font, std::u16string_view left, std::u16string_view right);

  // The soft key a click at (x, y) presses: the left or the right half of the bar.
  [[nodiscard]] static std::optional<platform::Key> KeyAt(const platform::Rect& area, int x, int y);
};

}  // namespace quelt::ui
