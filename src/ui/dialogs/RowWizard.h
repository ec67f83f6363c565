#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/HomeLayout.h"

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class WindowStack;
struct ScreenSize;

// The messenger's row on the home screen, in two pages: its place among the other rows, then
// its height, auto-hide and bottom rule. "done" hands the values to `done`; cancel or Back on
// either page gives nothing, and "previous" goes back keeping what was chosen.
void OpenRowWizard(core::Application& application, WindowStack& stack, ScreenSize screen,
                   std::vector<std::u16string> otherRows, core::RowSettings start,
                   std::function<void(const core::RowSettings&)> done);

}  // namespace quelt::ui
