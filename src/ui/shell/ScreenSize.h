#pragma once

#include <optional>
#include <string_view>

namespace quelt::ui {

// The emulated handset screen.
struct ScreenSize {
  int width = 240;
  int height = 320;
  bool operator==(const ScreenSize&) const = default;
};

// 176x220 for a configured width of 200 or less, else 240x320.
[[nodiscard]] ScreenSize ScreenSizeForWidth(int configuredWidth);

// Reads a configured width from text such as "176", "176x220" or "240x320"; nothing when the
// text holds no width.
[[nodiscard]] std::optional<int> ParseConfiguredWidth(std::string_view text);

// The screen chosen by the QUELT_SCREEN environment variable; 240x320 without it.
[[nodiscard]] ScreenSize ScreenSizeFromEnvironment();

}  // namespace quelt::ui
