#include "ui/toolkit/CheckBox.h"

#include <algorithm>

#include "platform/screen/Font.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/TextLayout.h"

namespace quelt::ui {

using platform::Key;
using platform::Rect;

int FormStyle::LineHeight() const { return font ? font->Height() : 14; }

namespace {

int BoxSide(const FormStyle& style) { return std::max(8, style.LineHeight() - 4); }

}  // namespace

// The label wraps beside the box: long labels on the small screen.
std::vector<std::u16string> CheckBox::Lines(const FormStyle& style, int width) const {
  if (!style.font) return {label_};
  return WrapText(*style.font, label_, std::max(1, width - BoxSide(style) - 10));
}

int CheckBox::Height(const FormStyle& style, int width) const {
  return int(Lines(style, width).size()) * style.LineHeight() + 4;
}

void CheckBox::Paint(Painter& painter, const Rect& area, const FormStyle& style, bool focused) {
  const int side = BoxSide(style);
  const Rect box{area.x + 3, area.y + 2 + (style.LineHeight() - side) / 2, side, side};
  painter.Fill(box, style.field);
  painter.Frame(box, style.text);
  if (checked_) painter.Fill({box.x + 3, box.y + 3, box.width - 6, box.height - 6}, style.text);
  int y = area.y + 2;
  for (const auto& line : Lines(style, area.width)) {
    if (style.font) painter.Text(*style.font, box.x + side + 5, y, line, style.text);
    y += style.LineHeight();
  }
  if (focused) painter.Frame(area, style.focus);
}

bool CheckBox::OnKey(Key key) {
  if (key != Key::Action && key != Key::Left && key != Key::Right) return false;
  checked_ = !checked_;
  return true;
}

int FormNote::Height(const FormStyle& style, int) const { return style.LineHeight() + 2; }

void FormNote::Paint(Painter& painter, const Rect& area, const FormStyle& style, bool) {
  if (style.font) painter.Text(*style.font, area.x + 3, area.y + 1, text_, style.greyed);
}

}  // namespace quelt::ui
