#pragma once

#include <memory>

namespace quelt::core {
class Application;
}
namespace quelt::resources {
class LookSet;
}

namespace quelt::ui {

// The application's skins and icons, or the built-in look when it was built without them.
[[nodiscard]] std::shared_ptr<const resources::LookSet> LooksOf(const core::Application& application);

}  // namespace quelt::ui
