#pragma once

#include <memory>
#include <vector>

#include "ui/model/AccountModel.h"

namespace quelt::core {
class Application;
}

namespace quelt::ui {

// The accounts the application runs, ICQ first, as the windows see them; the one place that
// knows which engine stands behind each session. Build it again when a session is re-created.
[[nodiscard]] std::vector<std::shared_ptr<AccountModel>> AccountModels(core::Application& application);

}  // namespace quelt::ui
