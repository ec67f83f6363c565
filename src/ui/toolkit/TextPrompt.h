#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/screen/Geometry.h"
#include "ui/toolkit/TextBox.h"
#include "ui/toolkit/Window.h"

namespace quelt::ui {

class WindowStack;

// Asks for one line of text over the screen: a caption, a text box, and "ok" and "cancel" on the
// soft keys. Return or the left soft key gives the text; the right soft key or Back gives up.
class TextPrompt final : public Window, public std::enable_shared_from_this<TextPrompt> {
 public:
  struct Labels {
    std::u16string caption;
    std::u16string ok;
    std::u16string cancel;
  };
  using Answered = std::function<void(const std::u16string&)>;

  static std::shared_ptr<TextPrompt> Show(WindowStack& stack, int screenWidth, int screenHeight, Labels labels,
                                          Answered answered);

  void Paint(Painter& painter) override;
  bool OnKey(platform::Key key) override;
  bool OnText(std::u16string_view text) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;
  [[nodiscard]] bool IsOverlay() const override { return true; }

  [[nodiscard]] const std::u16string& Text() const { return box_.Text(); }

 private:
  TextPrompt(WindowStack& stack, int screenWidth, int screenHeight, Labels labels, Answered answered);
  void Close(bool give);

  WindowStack& stack_;
  const int screenWidth_;
  const int screenHeight_;
  const Labels labels_;
  const Answered answered_;
  TextBox box_;
  platform::Rect frame_;
};

}  // namespace quelt::ui
