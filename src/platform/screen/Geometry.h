#pragma once

#include <cstdint>

namespace quelt::platform {

struct Color {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;

  [[nodiscard]] static constexpr Color FromRgb(uint32_t rgb) {
    return {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb)};
  }
  [[nodiscard]] constexpr uint32_t Rgb() const { return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b; }
  bool operator==(const Color&) const = default;
};

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  [[nodiscard]] constexpr bool Contains(int px, int py) const {
    return px >= x && py >= y && px < x + width && py < y + height;
  }
  bool operator==(const Rect&) const = default;
};

}  // namespace quelt::platform
