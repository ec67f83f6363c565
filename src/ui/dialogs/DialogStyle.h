#pragma once

#include <string>

#include "ui/toolkit/FormControl.h"

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class WindowStack;
struct ScreenSize;

// A notice over a dialog with "ok" only: an error by default, or under another caption.
void ShowNotice(const core::Application& application, WindowStack& stack, ScreenSize screen, std::u16string text,
                std::u16string caption = {});

// The dialogs' look: the skin's list font and background, the toolkit's colours.
[[nodiscard]] FormStyle DialogStyleOf(const core::Application& application);

}  // namespace quelt::ui
