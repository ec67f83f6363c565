#include "ui/toolkit/FormWindow.h"

#include <algorithm>

#include "ui/toolkit/Caption.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/MenuWindow.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/ScrollBar.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::ui {

using platform::Key;
using platform::Rect;

namespace {

constexpr int kGap = 2;  // between controls

}  // namespace

std::shared_ptr<FormWindow> FormWindow::Open(WindowStack& stack, int screenWidth, int screenHeight, FormStyle style,
                                             Setup setup, std::vector<std::shared_ptr<FormControl>> controls) {
  std::shared_ptr<FormWindow> form(
      new FormWindow(stack, screenWidth, screenHeight, std::move(style), std::move(setup), std::move(controls)));
  stack.Push(form);
  return form;
}

FormWindow::FormWindow(WindowStack& stack, int screenWidth, int screenHeight, FormStyle style, Setup setup,
                       std::vector<std::shared_ptr<FormControl>> controls)
    : stack_(stack),
      screenWidth_(screenWidth),
      screenHeight_(screenHeight),
      style_(std::move(style)),
      setup_(std::move(setup)),
      controls_(std::move(controls)) {
  while (focus_ < controls_.size() && !controls_[focus_]->Focusable()) ++focus_;
}

void FormWindow::Close() { stack_.Remove(this); }

void FormWindow::Cancel() {
  const auto keep = shared_from_this();
  Close();
  if (setup_.cancelled) setup_.cancelled();
}

bool FormWindow::MoveFocus(int step) {
  for (size_t at = focus_ + step; at < controls_.size(); at += step) {
    if (controls_[at]->Focusable()) {
      focus_ = at;
      return true;
    }
  }
  // Past the last focusable control the column still scrolls to show what follows.
  return false;
}

void FormWindow::OpenMenu() {
  if (!setup_.menu) return;
  std::weak_ptr<FormWindow> weak = weak_from_this();
  MenuWindow::Open(
      stack_, setup_.menu(),
      [weak](int command) {
        if (const auto self = weak.lock(); self && self->setup_.command) self->setup_.command(*self, command);
      },
      MenuWindow::Side::Left, screenWidth_, screenHeight_);
}

bool FormWindow::OnKey(Key key) {
  FormControl* focused = focus_ < controls_.size() ? controls_[focus_].get() : nullptr;
  if (key == Key::RightSoft) {
    if (setup_.ok) {
      const auto keep = shared_from_this();  // the callback may close the window
      setup_.ok(*this);
    }
  } else if (key == Key::LeftSoft) {
    if (setup_.left) {
      const auto keep = shared_from_this();
      setup_.left(*this);
    } else {
      OpenMenu();
    }
  } else if (key == Key::Back) {
    Cancel();
    return true;
  } else if (focused && focused->OnKey(key)) {
  } else if (key == Key::Backspace) {
    Cancel();
    return true;
  } else if (key == Key::Up || key == Key::Down) {
    if (!MoveFocus(key == Key::Up ? -1 : 1)) return true;
  } else {
    return false;
  }
  Invalidate();
  return true;
}

bool FormWindow::OnText(std::u16string_view text) {
  if (focus_ >= controls_.size() || !controls_[focus_]->OnText(text)) return false;
  Invalidate();
  return true;
}

std::optional<Key> FormWindow::KeyForClick(int x, int y) const {
  return SoftKeyBar::KeyAt(SoftKeyBar::Area(screenWidth_, screenHeight_), x, y);
}

void FormWindow::Paint(Painter& painter) {
  painter.Fill({0, 0, screenWidth_, screenHeight_}, style_.background);
  const int top = PaintTitleStrip(painter, screenWidth_, setup_.title);
  const Rect softKeys = SoftKeyBar::Area(screenWidth_, screenHeight_);
  const int scrollBar = DefaultLook().scrollBarWidth;
  const Rect column{0, top, screenWidth_ - scrollBar - 1, softKeys.y - top};

  std::vector<int> tops, heights;
  int total = kGap;
  for (const auto& control : controls_) {
    tops.push_back(total);
    heights.push_back(control->Height(style_, column.width - 2));
    total += heights.back() + kGap;
  }
  if (focus_ < controls_.size()) {
    // Keep the focused control in view, and the note that may follow it.
    const bool noteFollows = focus_ + 1 < controls_.size() && !controls_[focus_ + 1]->Focusable();
    const int bottom = noteFollows ? tops[focus_ + 1] + heights[focus_ + 1] : tops[focus_] + heights[focus_];
    scroll_ = std::clamp(scroll_, bottom + kGap - column.height, tops[focus_] - kGap);
  }
  scroll_ = std::clamp(scroll_, 0, std::max(0, total - column.height));
  {
    Painter::Scope scope(painter, column);
    for (size_t i = 0; i < controls_.size(); ++i) {
      const Rect area{1, tops[i] - scroll_, column.width - 2, heights[i]};
      if (area.y + area.height < 0 || area.y > column.height) continue;
      controls_[i]->Paint(painter, area, style_, i == focus_);
    }
  }
  PaintScrollBar(painter, {screenWidth_ - scrollBar, top, scrollBar, column.height}, total, column.height, scroll_);
  SoftKeyBar::Paint(painter, softKeys, setup_.menuLabel, setup_.okLabel);
}

}  // namespace quelt::ui
