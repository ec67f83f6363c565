#pragma once

#include <optional>
#include <pugixml.hpp>
#include <string>

#include "homehost/HomeTheme.h"

namespace quelt::home {

// The scheme's format defaults (its `default` element) resolved against the theme, for the rows
// the host draws itself; plugins read the same element on their own.
struct RowFormat {
  ThemeFont font;
  int paddingLeft = 0;
  int paddingTop = 0;
  std::optional<platform::Color> background;  // none: transparent
  platform::Color text;
  std::optional<platform::Color> selectedBackground;
  platform::Color selectedText;
  std::optional<platform::Color> rule;
  int ruleWidth = 0;

  [[nodiscard]] static RowFormat Read(pugi::xml_node defaults, const HomeTheme& theme);
};

}  // namespace quelt::home
