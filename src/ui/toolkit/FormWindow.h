#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/toolkit/FormControl.h"
#include "ui/toolkit/Menu.h"
#include "ui/toolkit/Window.h"

namespace quelt::ui {

class WindowStack;

// A dialog: a title, a column of controls of which one has the focus, the dialog's menu on the
// left soft key and its confirmation on the right. Up and Down that the focused control leaves
// alone move the focus; the column scrolls to keep it in view. Back (and Backspace the control
// leaves alone) cancels: the dialog closes and nothing changes. Main thread.
class FormWindow final : public Window, public std::enable_shared_from_this<FormWindow> {
 public:
  // What a dialog is made of. The callbacks get the window, to close it when they are done.
  struct Setup {
    std::u16string title;
    std::u16string menuLabel;  // the left soft key's; empty: no menu
    std::u16string okLabel;    // the right soft key's
    std::function<std::vector<MenuItem>()> menu;
    std::function<void(FormWindow&, int command)> command;  // an item of the menu was chosen
    std::function<void(FormWindow&)> ok;                     // the right soft key
    std::function<void(FormWindow&)> left;                   // the left soft key, in place of a menu
    std::function<void()> cancelled;                         // after Back closed it
  };

  static std::shared_ptr<FormWindow> Open(WindowStack& stack, int screenWidth, int screenHeight, FormStyle style,
                                          Setup setup, std::vector<std::shared_ptr<FormControl>> controls);
  void Close();
  void Cancel();

  void Paint(Painter& painter) override;
  bool OnKey(platform::Key key) override;
  bool OnText(std::u16string_view text) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;

  [[nodiscard]] size_t Focus() const { return focus_; }
  [[nodiscard]] const std::vector<std::shared_ptr<FormControl>>& Controls() const { return controls_; }
  [[nodiscard]] const std::u16string& Title() const { return setup_.title; }

 private:
  FormWindow(WindowStack& stack, int screenWidth, int screenHeight, FormStyle style, Setup setup,
             std::vector<std::shared_ptr<FormControl>> controls);
  bool MoveFocus(int step);
  void OpenMenu();

  WindowStack& stack_;
  const int screenWidth_;
  const int screenHeight_;
  const FormStyle style_;
  const Setup setup_;
  const std::vector<std::shared_ptr<FormControl>> controls_;
  size_t focus_ = 0;
  int scroll_ = 0;  // pixels of the column above the top edge
};

}  // namespace quelt::ui
