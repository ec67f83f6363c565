#pragma once

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class WindowStack;
struct ScreenSize;

// The accounts: each service's switch, account and password, and from the menu the ICQ network
// set-up (login servers and proxy). OK saves what changed and has the changed services' sessions
// made anew and signed in; nothing changed, nothing happens.
void OpenAccountDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

}  // namespace quelt::ui
