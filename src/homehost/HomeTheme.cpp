#include "homehost/HomeTheme.h"

#include <array>
#include <utility>

#include "platform/HexDigit.h"

namespace quelt::home {
namespace {

constexpr std::string_view kFace = "DejaVu Sans";

// A calm light theme: dark slate text on pale blue-grey, a deep blue for the selection.
constexpr std::array<std::pair<std::string_view, uint32_t>, 9> kColors{{
    {"COLOR_HOMETEXT", 0x1E2A36},
    {"COLOR_HOMEBACKGROUND", 0xEEF2F6},
    {"COLOR_HOMEHIGHLIGHT", 0x2C6DB5},
    {"COLOR_HOMEHIGHLIGHTTEXT", 0xFFFFFF},
    {"COLOR_HOMERULE", 0xC8D2DD},
    {"COLOR_HOMETEXTGRAY", 0x97A3AF},
    {"COLOR_HOMETITLE", 0x1F4F86},
    {"COLOR_HOMETITLETEXT", 0xFFFFFF},
    {"COLOR_HOMEACCENT", 0x2C6DB5},
}};

}  // namespace

HomeTheme::HomeTheme(int screenWidth)
    : textSize_(screenWidth <= 200 ? 12 : 14),
      titleSize_(screenWidth <= 200 ? 12 : 14),
      padding_(screenWidth <= 200 ? 3 : 5) {}

std::optional<platform::Color> HomeTheme::Color(std::string_view name) const {
  for (const auto& [known, rgb] : kColors) {
    if (known == name) return platform::Color::FromRgb(rgb);
  }
  return std::nullopt;
}

std::optional<ThemeFont> HomeTheme::Font(std::string_view name) const {
  if (name == "FONT_HOMETEXT") return ThemeFont{std::string(kFace), textSize_, false};
  if (name == "FONT_HOMETITLE") return ThemeFont{std::string(kFace), titleSize_, true};
  return std::nullopt;
}

std::optional<int> HomeTheme::Metric(std::string_view name) const {
  if (name == "METRIC_HOMEPADDING") return padding_;
  if (name == "METRIC_HOMEROWHEIGHT") return textSize_ + 2 * padding_ + 4;
  return std::nullopt;
}

std::optional<platform::Color> HomeTheme::Resolve(std::string_view value) const {
  if (value.size() == 7 && value.front() == '#') {
    uint32_t rgb = 0;
    for (const char c : value.substr(1)) {
      const int digit = platform::HexDigitValue(c);
      if (digit < 0) return std::nullopt;
      rgb = rgb << 4 | static_cast<uint32_t>(digit);
    }
    return platform::Color::FromRgb(rgb);
  }
  return Color(value);
}

}  // namespace quelt::home
