#pragma once

#include <functional>
#include <memory>

#include "core/SettingsValues.h"

namespace quelt::core {
class Application;
class Settings;
}  // namespace quelt::core

namespace quelt::ui {

// What a dialog that changes settings does on OK: a copy of the current settings with `change`
// made, saved to the file and handed to the program with SettingsChanged. The copy.
std::shared_ptr<core::Settings> SaveChangedCopy(core::Application& application,
                                                const std::function<void(core::SettingsValues&)>& change);

}  // namespace quelt::ui
