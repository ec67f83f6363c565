#include "ui/toolkit/TextField.h"

#include <algorithm>

#include "platform/screen/Font.h"
#include "ui/toolkit/Painter.h"

namespace quelt::ui {

using platform::Key;
using platform::Rect;

TextField::TextField(std::u16string label, std::u16string_view text, Options options)
    : label_(std::move(label)),
      box_(TextBox::Options{.lines = 1, .password = options.password, .maxLength = options.maxLength}) {
  box_.SetText(text);
}

void TextField::Wipe() {
  box_.SetText(std::u16string(box_.Text().size(), u'\0'));
  box_.Clear();
}

void TextField::Style(const FormStyle& style) const {
  box_.SetFont(style.font);
  box_.SetColors(style.text, style.field);
}

int TextField::Height(const FormStyle& style, int) const {
  Style(style);
  return style.LineHeight() + box_.Height() + 6;
}

void TextField::Paint(Painter& painter, const Rect& area, const FormStyle& style, bool focused) {
  Style(style);
  if (style.font) painter.Text(*style.font, area.x + 3, area.y + 2, label_, style.text);
  const int top = area.y + 2 + style.LineHeight();
  box_.ShowCaret(focused);
  const Rect box{area.x + 3, top, area.width - 6, box_.Height()};
  box_.Paint(painter, box);
  painter.Frame(box, style.text);
  if (focused) painter.Frame(area, style.focus);
}

bool TextField::OnKey(Key key) {
  // Up and Down move between the fields, not inside a one-line box.
  if (key == Key::Up || key == Key::Down) return false;
  return box_.OnKey(key);
}

ChoiceBox::ChoiceBox(std::u16string label, std::vector<std::u16string> choices, size_t chosen)
    : label_(std::move(label)), choices_(std::move(choices)) {
  Choose(chosen);
}

void ChoiceBox::Choose(size_t index) { chosen_ = choices_.empty() ? 0 : std::min(index, choices_.size() - 1); }

// Without a label the box stands alone, under the control it belongs to.
int ChoiceBox::Height(const FormStyle& style, int) const { return (label_.empty() ? 1 : 2) * style.LineHeight() + 8; }

void ChoiceBox::Paint(Painter& painter, const Rect& area, const FormStyle& style, bool focused) {
  const int line = style.LineHeight();
  const Rect box{area.x + 3, area.y + 3 + (label_.empty() ? 0 : line), area.width - 6, line + 2};
  painter.Fill(box, style.field);
  painter.Frame(box, style.text);
  if (style.font) {
    const platform::Font& font = *style.font;
    painter.Text(font, area.x + 3, area.y + 2, label_, style.text);
    const std::u16string value = choices_.empty() ? u"" : choices_[chosen_];
    // The arrows give way to a value too long to fit between them (small screens).
    const int arrows = font.TextWidth(u"<") + 6;
    const bool roomy = font.TextWidth(value) <= box.width - 2 * arrows;
    if (roomy) {
      painter.Text(font, box.x + 3, box.y + 1, u"<", style.text);
      painter.Text(font, box.x + box.width - 3 - font.TextWidth(u">"), box.y + 1, u">", style.text);
    }
    const Rect inside = roomy ? Rect{box.x + arrows, box.y, box.width - 2 * arrows, box.height}
                              : Rect{box.x + 2, box.y, box.width - 4, box.height};
    Painter::Scope scope(painter, inside);
    painter.Text(font, std::max(0, (inside.width - font.TextWidth(value)) / 2), 1, value, style.text);
  }
  if (focused) painter.Frame(area, style.focus);
}

bool ChoiceBox::OnKey(Key key) {
  if (choices_.empty()) return false;
  const size_t count = choices_.size();
  if (key == Key::Left) {
    chosen_ = (chosen_ + count - 1) % count;
  } else if (key == Key::Right || key == Key::Action) {
    chosen_ = (chosen_ + 1) % count;
  } else {
    return false;
  }
  if (changed_) changed_(chosen_);
  return true;
}

}  // namespace quelt::ui
