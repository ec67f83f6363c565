#pragma once

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class WindowStack;
struct ScreenSize;

// The settings dialog: check boxes for the everyday settings, the vibration count and the code
// page; its menu sets the full or the economy mode or opens the advanced settings. OK saves a
// changed copy of the settings and hands it to the program.
void OpenSettingsDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

}  // namespace quelt::ui
