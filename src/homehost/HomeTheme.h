#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/screen/Geometry.h"

namespace quelt::home {

struct ThemeFont {
  std::string face;
  int pixelSize = 14;
  bool bold = false;
};

// The home screen's look: named colours, fonts and sizes that the rows and the plugins ask for.
// Immutable once made, so any thread may read it.
class HomeTheme {
 public:
  // Sizes follow the screen: the small screen gets smaller type.
  explicit HomeTheme(int screenWidth);

  [[nodiscard]] std::optional<platform::Color> Color(std::string_view name) const;
  [[nodiscard]] std::optional<ThemeFont> Font(std::string_view name) const;
  [[nodiscard]] std::optional<int> Metric(std::string_view name) const;

  // A scheme colour value: nothing for "TRANSPARENT" or an unknown name, "#RRGGBB", or a theme
  // colour name.
  [[nodiscard]] std::optional<platform::Color> Resolve(std::string_view value) const;

  [[nodiscard]] platform::Color Background() const { return *Color("COLOR_HOMEBACKGROUND"); }
  [[nodiscard]] int Padding() const { return *Metric("METRIC_HOMEPADDING"); }

 private:
  int textSize_;
  int titleSize_;
  int padding_;
};

}  // namespace quelt::home
