#include "homehost/RowFormat.h"

#include <algorithm>
#include <string_view>

#include "platform/CaseMapping.h"

namespace quelt::home {
namespace {

// A colour attribute: absent or unreadable takes the fallback, "TRANSPARENT" gives none.
std::optional<platform::Color> ColorOf(pugi::xml_node node, const char* name, std::string_view fallback,
                                       const HomeTheme& theme) {
  const std::string value = platform::AsciiUpper(node.attribute(name).as_string());
  if (value == "TRANSPARENT") return std::nullopt;
  if (const auto color = theme.Resolve(value)) return color;
  return theme.Resolve(fallback);
}

// Sizes from a scheme are kept to what a row can use.
int SizeOf(pugi::xml_node node, const char* name, int fallback) {
  return std::clamp(node.attribute(name).as_int(fallback), 0, 200);
}

}  // namespace

RowFormat RowFormat::Read(pugi::xml_node defaults, const HomeTheme& theme) {
  RowFormat format;
  format.font = *theme.Font("FONT_HOMETEXT");
  if (const std::string_view face = defaults.attribute("font-face").as_string(); !face.empty()) {
    format.font.face = face;
  }
  format.font.pixelSize = std::max(6, SizeOf(defaults, "font-size", format.font.pixelSize));
  format.font.bold = platform::AsciiUpper(defaults.attribute("font-weight").as_string()) == "BOLD";
  format.paddingLeft = SizeOf(defaults, "padding-left", theme.Padding());
  format.paddingTop = SizeOf(defaults, "padding-top", theme.Padding());
  format.background = ColorOf(defaults, "bgcolor", "TRANSPARENT", theme);
  format.text = ColorOf(defaults, "fgcolor", "COLOR_HOMETEXT", theme).value_or(*theme.Color("COLOR_HOMETEXT"));
  format.rule = ColorOf(defaults, "b-border-color", "COLOR_HOMERULE", theme);
  format.ruleWidth = SizeOf(defaults, "b-border-width", 0);
  const pugi::xml_node selected = defaults.find_child_by_attribute("format", "state", "selected");
  format.selectedBackground = ColorOf(selected, "bgcolor", "COLOR_HOMEHIGHLIGHT", theme);
  format.selectedText =
      ColorOf(selected, "fgcolor", "COLOR_HOMEHIGHLIGHTTEXT", theme).value_or(*theme.Color("COLOR_HOMEHIGHLIGHTTEXT"));
  return format;
}

}  // namespace quelt::home
