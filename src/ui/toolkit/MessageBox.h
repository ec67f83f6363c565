#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/screen/Geometry.h"
#include "ui/toolkit/Window.h"

namespace quelt::ui {

class WindowStack;

// A question or a notice over the screen: a caption, the text wrapped to the box, and its answers
// on the soft keys. The left soft key or Return gives the first answer; the right soft key gives
// the second, and Back the second too (or the only one). The windows beneath go on changing while
// it waits.
class MessageBox final : public Window, public std::enable_shared_from_this<MessageBox> {
 public:
  enum class Answer { First, Second };
  using Answered = std::function<void(Answer)>;

  // `first` is required; `second` may be empty for a box with one answer.
  static std::shared_ptr<MessageBox> Show(WindowStack& stack, int screenWidth, int screenHeight, std::u16string caption,
                                          std::u16string text, std::u16string first, std::u16string second,
                                          Answered answered);

  void Paint(Painter& painter) override;
  bool OnKey(platform::Key key) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;
  [[nodiscard]] bool IsOverlay() const override { return true; }

  [[nodiscard]] const std::u16string& Caption() const { return caption_; }
  [[nodiscard]] const std::u16string& Text() const { return text_; }

 private:
  MessageBox(WindowStack& stack, int screenWidth, int screenHeight, std::u16string caption, std::u16string text,
             std::u16string first, std::u16string second, Answered answered);
  void Give(Answer answer);

  WindowStack& stack_;
  const int screenWidth_;
  const int screenHeight_;
  const std::u16string caption_;
  const std::u16string text_;
  const std::u16string first_;
  const std::u16string second_;
  const Answered answered_;
  std::vector<std::u16string> lines_;
  platform::Rect box_;
};

}  // namespace quelt::ui
