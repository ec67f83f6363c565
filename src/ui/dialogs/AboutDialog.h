#pragma once

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class WindowStack;
struct ScreenSize;

// The program's name and version.
void OpenAboutDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

}  // namespace quelt::ui
