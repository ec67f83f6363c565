#include "ui/toolkit/ListBox.h"

#include <algorithm>

#include "ui/toolkit/Look.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/ScrollBar.h"

namespace quelt::ui {

using platform::Key;
using platform::Rect;

ListBox::ListBox(std::u16string label, std::vector<std::u16string> items, size_t chosen, int rows)
    : label_(std::move(label)), items_(std::move(items)), rows_(std::max(1, rows)) {
  chosen_ = items_.empty() ? 0 : std::min(chosen, items_.size() - 1);
}

int ListBox::Height(const FormStyle& style, int) const { return (1 + rows_) * style.LineHeight() + 8; }

void ListBox::Paint(Painter& painter, const Rect& area, const FormStyle& style, bool focused) {
  const int line = style.LineHeight();
  if (style.font) painter.Text(*style.font, area.x + 3, area.y + 2, label_, style.text);
  const Rect box{area.x + 3, area.y + 3 + line, area.width - 6, rows_ * line + 2};
  painter.Fill(box, style.field);
  painter.Frame(box, style.text);
  const auto visible = size_t(rows_);
  if (chosen_ < top_) top_ = chosen_;
  if (chosen_ >= top_ + visible) top_ = chosen_ + 1 - visible;
  const int bar = DefaultLook().scrollBarWidth;
  {
    Painter::Scope scope(painter, {box.x + 1, box.y + 1, box.width - bar - 3, box.height - 2});
    for (size_t i = top_; i < items_.size() && i < top_ + visible; ++i) {
      const int y = int(i - top_) * line;
      const bool chosen = i == chosen_;
      if (chosen) painter.Fill({0, y, box.width, line}, DefaultLook().menuSelection);
      if (style.font) {
        painter.Text(*style.font, 3, y, items_[i], chosen ? DefaultLook().menuSelectedText : style.text);
      }
    }
  }
  PaintScrollBar(painter, {box.x + box.width - bar - 1, box.y + 1, bar, box.height - 2}, int(items_.size()) * line,
                 rows_ * line, int(top_) * line);
  if (focused) painter.Frame(area, style.focus);
}

bool ListBox::OnKey(Key key) {
  if (key == Key::Up && chosen_ > 0) {
    --chosen_;
  } else if (key == Key::Down && chosen_ + 1 < items_.size()) {
    ++chosen_;
  } else {
    return false;
  }
  return true;
}

}  // namespace quelt::ui
