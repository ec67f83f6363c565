#include "ui/toolkit/MessageBox.h"

#include <algorithm>

#include "platform/screen/Font.h"
#include "ui/toolkit/Caption.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/TextLayout.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::ui {
namespace {

constexpr int kMargin = 6;   // from the screen's sides
constexpr int kPadding = 5;  // inside the box

}  // namespace

std::shared_ptr<MessageBox> MessageBox::Show(WindowStack& stack, int screenWidth, int screenHeight,
                                             std::u16string caption, std::u16string text, std::u16string first,
                                             std::u16string second, Answered answered) {
  auto box =
      std::shared_ptr<MessageBox>(new MessageBox(stack, screenWidth, screenHeight, std::move(caption), std::move(text),
                                                 std::move(first), std::move(second), std::move(answered)));
  stack.Push(box);
  return box;
}

MessageBox::MessageBox(WindowStack& stack, int screenWidth, int screenHeight, std::u16string caption,
                       std::u16string text, std::u16string first, std::u16string second, Answered answered)
    : stack_(stack),
      screenWidth_(screenWidth),
      screenHeight_(screenHeight),
      caption_(std::move(caption)),
      text_(std::move(text)),
      first_(std::move(first)),
      second_(std::move(second)),
      answered_(std::move(answered)) {
  const LookFonts& fonts = DefaultLookFonts();
  const int width = screenWidth - 2 * kMargin;
  if (fonts.menu) lines_ = WrapText(*fonts.menu, text_, width - 2 * kPadding);
  const int lineHeight = fonts.menu ? fonts.menu->Height() : 14;
  const int captionHeight = BoxCaptionHeight();
  const int room = SoftKeyBar::Area(screenWidth, screenHeight).y - 2 * kMargin;
  const int height = std::min(room, captionHeight + 2 * kPadding + lineHeight * static_cast<int>(lines_.size()));
  box_ = {kMargin, kMargin + (room - height) / 2, width, height};
}

void MessageBox::Paint(Painter& painter) {
  const Look& look = DefaultLook();
  const LookFonts& fonts = DefaultLookFonts();
  PaintCaptionedBox(painter, box_, caption_, kPadding);
  const int captionHeight = BoxCaptionHeight();
  if (fonts.menu) {
    Painter::Scope body(painter, {box_.x + kPadding, box_.y + captionHeight + kPadding, box_.width - 2 * kPadding,
                                  box_.height - captionHeight - 2 * kPadding});
    const int lineHeight = fonts.menu->Height();
    for (size_t i = 0; i < lines_.size(); ++i) {
      painter.Text(*fonts.menu, 0, static_cast<int>(i) * lineHeight, lines_[i], look.menuText);
    }
  }
  SoftKeyBar::Paint(painter, SoftKeyBar::Area(screenWidth_, screenHeight_), first_, second_);
}

void MessageBox::Give(Answer answer) {
  // The box is gone before the answer runs, so the answer may open another.
  const auto keep = shared_from_this();
  stack_.Remove(this);
  if (answered_) answered_(answer);
}

bool MessageBox::OnKey(platform::Key key) {
  using platform::Key;
  switch (key) {
    case Key::LeftSoft:
    case Key::Action: Give(Answer::First); break;
    case Key::RightSoft:
      if (!second_.empty()) Give(Answer::Second);
      break;
    case Key::Back:
    case Key::Backspace: Give(second_.empty() ? Answer::First : Answer::Second); break;
    default: break;
  }
  return true;  // a box keeps every key from the window beneath
}

std::optional<platform::Key> MessageBox::KeyForClick(int x, int y) const {
  return SoftKeyBar::KeyAt(SoftKeyBar::Area(screenWidth_, screenHeight_), x, y);
}

}  // namespace quelt::ui
