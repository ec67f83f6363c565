#include "ui/windows/ApplicationLooks.h"

#include "core/Application.h"
#include "resources/LookSet.h"

namespace quelt::ui {

std::shared_ptr<const resources::LookSet> LooksOf(const core::Application& application) {
  if (auto looks = std::dynamic_pointer_cast<const resources::LookSet>(application.Services().look)) return looks;
  static const auto builtIn = std::make_shared<const resources::LookSet>();
  return builtIn;
}

}  // namespace quelt::ui
