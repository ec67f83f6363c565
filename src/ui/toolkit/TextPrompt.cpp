#include "ui/toolkit/TextPrompt.h"

#include "ui/toolkit/Caption.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::ui {
namespace {

constexpr int kMargin = 6;   // from the screen's sides
constexpr int kPadding = 5;  // inside the box

}  // namespace

std::shared_ptr<TextPrompt> TextPrompt::Show(WindowStack& stack, int screenWidth, int screenHeight, Labels labels,
                                             Answered answered) {
  auto prompt = std::shared_ptr<TextPrompt>(
      new TextPrompt(stack, screenWidth, screenHeight, std::move(labels), std::move(answered)));
  stack.Push(prompt);
  return prompt;
}

TextPrompt::TextPrompt(WindowStack& stack, int screenWidth, int screenHeight, Labels labels, Answered answered)
    : stack_(stack),
      screenWidth_(screenWidth),
      screenHeight_(screenHeight),
      labels_(std::move(labels)),
      answered_(std::move(answered)),
      box_({.font = DefaultLookFonts().menu,
            .text = DefaultLook().menuText,
            .background = DefaultLook().menuBackground,
            .frame = DefaultLook().rule,
            .lines = 3,  // room for a link that wraps
            .changed = [this] { Invalidate(); }}) {
  const int height = BoxCaptionHeight() + 2 * kPadding + box_.Height();
  const int room = SoftKeyBar::Area(screenWidth, screenHeight).y;
  frame_ = {kMargin, (room - height) / 2, screenWidth - 2 * kMargin, height};
}

void TextPrompt::Paint(Painter& painter) {
  PaintCaptionedBox(painter, frame_, labels_.caption, kPadding);
  const int captionHeight = BoxCaptionHeight();
  box_.Paint(painter,
             {frame_.x + kPadding, frame_.y + captionHeight + kPadding, frame_.width - 2 * kPadding, box_.Height()});
  SoftKeyBar::Paint(painter, SoftKeyBar::Area(screenWidth_, screenHeight_), labels_.ok, labels_.cancel);
}

void TextPrompt::Close(bool give) {
  // Gone before the answer runs, so that the answer may open another window.
  const auto keep = shared_from_this();
  stack_.Remove(this);
  if (give && answered_) answered_(box_.Text());
}

bool TextPrompt::OnKey(platform::Key key) {
  using platform::Key;
  switch (key) {
    case Key::LeftSoft:
    case Key::Action: Close(true); break;
    case Key::RightSoft:
    case Key::Back: Close(false); break;
    default:
      if (box_.OnKey(key)) Invalidate();
      break;
  }
  return true;  // nothing reaches the window beneath while it asks
}

bool TextPrompt::OnText(std::u16string_view text) { return box_.OnText(text); }

std::optional<platform::Key> TextPrompt::KeyForClick(int x, int y) const {
  return SoftKeyBar::KeyAt(SoftKeyBar::Area(screenWidth_, screenHeight_), x, y);
}

}  // namespace quelt::ui
