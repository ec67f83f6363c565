#pragma once

namespace quelt::core {
class Application;
class EventListener;
}  // namespace quelt::core

namespace quelt::ui {

class UiLoop;

// Quitting, in order: stop and let go of the sessions, close the main window (it hears no more
// events), end the hub, and leave the loop with exit code 0. The sessions' connections then end
// on their own threads while main() waits for them a bounded time.
void RunQuitSequence(core::Application& application, UiLoop& loop, const core::EventListener* mainWindow);

}  // namespace quelt::ui
