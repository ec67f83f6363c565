#include "ui/toolkit/MenuWindow.h"

#include <algorithm>

#include "platform/screen/Font.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/ScrollBar.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::ui {
namespace {

constexpr int kPadding = 4;
constexpr int kSeparatorHeight = 5;
constexpr int kMarkWidth = 12;  // the check mark's and the submenu arrow's column
constexpr int kSubmenuIndent = 14;
constexpr char16_t kCheck[] = u"\u2713";
constexpr char16_t kArrow[] = u"\u25B8";

const platform::Font* MenuFont() { return DefaultLookFonts().menu.get(); }

int LineHeight() { return (MenuFont() != nullptr ? MenuFont()->Height() : 14) + 2; }

// "1 Chat": the digit that chooses the item, as handsets show it.
std::u16string Numbered(int number, const std::u16string& label) {
  if (number < 1 || number > 9) return u"  " + label;
  return std::u16string(1, static_cast<char16_t>(u'0' + number)) + u' ' + label;
}

}  // namespace

std::shared_ptr<MenuWindow> MenuWindow::Open(WindowStack& stack, std::vector<MenuItem> items, Chosen chosen, Side side,
                                             int screenWidth, int screenHeight) {
  auto menu = std::shared_ptr<MenuWindow>(new MenuWindow(stack, std::move(items), std::move(chosen), {}));
  const platform::Rect bar = SoftKeyBar::Area(screenWidth, screenHeight);
  menu->Place(side == Side::Left ? 0 : screenWidth, bar.y, screenWidth, screenHeight, side);
  stack.Push(menu);
  return menu;
}

MenuWindow::MenuWindow(WindowStack& stack, std::vector<MenuItem> items, Chosen chosen, std::weak_ptr<MenuWindow> parent)
    : stack_(stack), items_(std::move(items)), chosen_(std::move(chosen)), parent_(std::move(parent)) {
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    if (!items_[static_cast<size_t>(i)].separator) {
      selected_ = i;
      break;
    }
  }
}

int MenuWindow::ItemHeight(int index) const {
  return items_[static_cast<size_t>(index)].separator ? kSeparatorHeight : LineHeight();
}

int MenuWindow::ItemTop(int index) const {
  int top = 0;
  for (int i = 0; i < index; ++i) top += ItemHeight(i);
  return top;
}

void MenuWindow::Place(int left, int bottom, int screenWidth, int screenHeight, Side side) {
  screenWidth_ = screenWidth;
  screenHeight_ = screenHeight;
  int width = 0;
  int number = 0;
  for (const MenuItem& item : items_) {
    if (item.separator) continue;
    const int text = MenuFont() != nullptr ? MenuFont()->TextWidth(Numbered(++number, item.label)) : 60;
    width = std::max(width, text);
  }
  width = std::min(width + 2 * kPadding + 2 * kMarkWidth, screenWidth);
  const int content = ItemTop(static_cast<int>(items_.size())) + 2;
  const int height = std::min(content, bottom);
  const int x = side == Side::Left ? std::min(left, screenWidth - width) : std::max(0, left - width);
  area_ = {std::max(0, x), bottom - height, width, height};
  KeepSelectionVisible();
}

void MenuWindow::KeepSelectionVisible() {
  if (selected_ < 0) return;
  const int view = area_.height - 2;
  const int top = ItemTop(selected_);
  const int bottom = top + ItemHeight(selected_);
  if (top < scroll_) scroll_ = top;
  if (bottom > scroll_ + view) scroll_ = bottom - view;
}

void MenuWindow::Paint(Painter& painter) {
  const Look& look = DefaultLook();
  painter.Fill(area_, look.menuBackground);
  painter.Frame(area_, look.rule);
  const int total = ItemTop(static_cast<int>(items_.size()));
  const int view = area_.height - 2;
  const bool scrolls = total > view;
  const platform::Rect list{area_.x + 1, area_.y + 1, area_.width - 2 - (scrolls ? look.scrollBarWidth : 0), view};
  {
    Painter::Scope scope(painter, list);
    const platform::Font* font = MenuFont();
    int number = 0;
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
      const MenuItem& item = items_[static_cast<size_t>(i)];
      const int top = ItemTop(i) - scroll_;
      const int height = ItemHeight(i);
      if (item.separator) {
        painter.Fill({kPadding, top + height / 2, list.width - 2 * kPadding, 1}, look.menuGreyed);
        continue;
      }
      ++number;
      if (top + height < 0 || top > list.height) continue;
      const bool selected = i == selected_;
      if (selected) painter.Fill({0, top, list.width, height}, look.menuSelection);
      const platform::Color color =
          !item.enabled ? look.menuGreyed : (selected ? look.menuSelectedText : look.menuText);
      if (font == nullptr) continue;
      const int textY = top + (height - font->Height()) / 2;
      if (item.checked) painter.Text(*font, kPadding / 2, textY, kCheck, color);
      painter.Text(*font, kMarkWidth, textY, Numbered(number, item.label), color);
      if (item.HasSubmenu()) painter.Text(*font, list.width - kMarkWidth, textY, kArrow, color);
    }
  }
  if (scrolls) {
    PaintScrollBar(painter, {area_.x + area_.width - 1 - look.scrollBarWidth, area_.y + 1, look.scrollBarWidth, view},
                   total, view, scroll_);
  }
}

void MenuWindow::Move(int step) {
  if (selected_ < 0) return;
  const int count = static_cast<int>(items_.size());
  int index = selected_;
  for (int tries = 0; tries < count; ++tries) {
    index = (index + step + count) % count;
    if (!items_[static_cast<size_t>(index)].separator) break;
  }
  selected_ = index;
  KeepSelectionVisible();
  Invalidate();
}

int MenuWindow::NthChoosable(int n) const {
  int number = 0;
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    if (items_[static_cast<size_t>(i)].separator) continue;
    if (++number == n) return i;
  }
  return -1;
}

void MenuWindow::Activate(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  const MenuItem& item = items_[static_cast<size_t>(index)];
  if (!item.Choosable()) return;
  selected_ = index;
  if (item.HasSubmenu()) {
    auto submenu = std::shared_ptr<MenuWindow>(new MenuWindow(stack_, item.submenu, chosen_, weak_from_this()));
    const int itemBottom = area_.y + 1 + ItemTop(index) - scroll_ + ItemHeight(index);
    submenu->Place(area_.x + kSubmenuIndent, std::min(itemBottom, SoftKeyBar::Area(screenWidth_, screenHeight_).y),
                   screenWidth_, screenHeight_, Side::Left);
    Invalidate();
    stack_.Push(submenu);
    return;
  }
  const int command = item.command;
  const Chosen chosen = chosen_;
  CloseAll();
  if (chosen) chosen(command);
}

void MenuWindow::CloseLevel() { stack_.Remove(this); }

void MenuWindow::CloseAll() {
  auto parent = parent_.lock();
  stack_.Remove(this);
  while (parent) {
    auto next = parent->parent_.lock();
    stack_.Remove(parent.get());
    parent = std::move(next);
  }
}

bool MenuWindow::OnKey(platform::Key key) {
  using platform::Key;
  switch (key) {
    case Key::Up: Move(-1); return true;
    case Key::Down: Move(1); return true;
    case Key::Action:
    case Key::Right:
    case Key::LeftSoft: Activate(selected_); return true;
    case Key::Left:
    case Key::Back:
    case Key::Backspace: CloseLevel(); return true;
    case Key::RightSoft: CloseAll(); return true;
    default: break;
  }
  if (key >= Key::Digit1 && key <= Key::Digit9) {
    Activate(NthChoosable(static_cast<int>(key) - static_cast<int>(Key::Digit0)));
    return true;
  }
  return true;  // a menu keeps every key from the window beneath
}

std::optional<platform::Key> MenuWindow::KeyForClick(int x, int y) const {
  if (!area_.Contains(x, y)) {
    const auto bar = SoftKeyBar::Area(screenWidth_, screenHeight_);
    if (const auto soft = SoftKeyBar::KeyAt(bar, x, y)) return soft;
    return platform::Key::Back;
  }
  // A click on an item stands for its digit when it has one; otherwise it chooses nothing.
  int number = 0;
  for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
    if (items_[static_cast<size_t>(i)].separator) continue;
    ++number;
    const int top = area_.y + 1 + ItemTop(i) - scroll_;
    if (y >= top && y < top + ItemHeight(i) && number <= 9) {
      return static_cast<platform::Key>(static_cast<int>(platform::Key::Digit0) + number);
    }
  }
  return std::nullopt;
}

}  // namespace quelt::ui
