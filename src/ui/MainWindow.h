#pragma once

#include "core/EventListener.h"
#include "ui/DefaultLook.h"
#include "ui/ScreenSize.h"
#include "ui/Window.h"

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class UiLoop;

// The program's main window: for now its title and the soft key that quits. It repaints on the
// events the user interface receives.
class MainWindow final : public Window, public core::EventListener {
 public:
  MainWindow(core::Application& application, UiLoop& loop, ScreenSize screen);

  void Paint(platform::Surface& surface) override;
  bool OnKey(platform::Key key) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;
  void OnCloseRequest() override;
  void OnEvent(const core::AppEventPtr& event) override;

 private:
  void Quit();

  core::Application& application_;
  UiLoop& loop_;
  const ScreenSize screen_;
  const Look& look_;
  const LookFonts fonts_;
  bool quitting_ = false;
};

}  // namespace quelt::ui
