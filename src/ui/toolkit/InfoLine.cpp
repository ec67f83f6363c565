#include "ui/toolkit/InfoLine.h"

#include <algorithm>

#include "ui/toolkit/Painter.h"
#include "ui/toolkit/TextLayout.h"

namespace quelt::ui {

namespace {

std::vector<std::u16string> ValueLines(const FormStyle& style, const std::u16string& value, int width) {
  if (!style.font || value.empty()) return {value};
  return WrapText(*style.font, value, std::max(1, width - 8));
}

}  // namespace

int InfoLine::Height(const FormStyle& style, int width) const {
  return int(1 + ValueLines(style, value_, width).size()) * style.LineHeight() + 4;
}

void InfoLine::Paint(Painter& painter, const platform::Rect& area, const FormStyle& style, bool focused) {
  if (style.font) {
    painter.Text(*style.font, area.x + 3, area.y + 2, label_, style.greyed);
    int y = area.y + 2 + style.LineHeight();
    for (const auto& line : ValueLines(style, value_, area.width)) {
      painter.Text(*style.font, area.x + 6, y, line, style.text);
      y += style.LineHeight();
    }
  }
  if (focused) painter.Frame(area, style.focus);
}

}  // namespace quelt::ui
