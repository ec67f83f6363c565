#pragma once

#include "ui/toolkit/FormControl.h"

namespace quelt::core {
class Application;
}

namespace quelt::ui {

// The dialogs' look: the skin's list font and background, the toolkit's colours.
[[nodiscard]] FormStyle DialogStyleOf(const core::Application& application);

}  // namespace quelt::ui
