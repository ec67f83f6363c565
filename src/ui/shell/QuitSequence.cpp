#include "ui/shell/QuitSequence.h"

#include "core/Application.h"
#include "ui/shell/UiLoop.h"

namespace quelt::ui {

void RunQuitSequence(core::Application& application, UiLoop& loop, const core::EventListener* mainWindow) {
  application.StopSessions();
  application.Dispatcher().RemoveUiListener(mainWindow);
  application.Stop();
  loop.Quit(0);
}

}  // namespace quelt::ui
