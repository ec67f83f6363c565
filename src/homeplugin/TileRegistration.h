#pragma once

#include <filesystem>

namespace quelt::platform {
class Registry;
}

namespace quelt::home {

// The messenger's row class and the library that serves it, as the host looks them up. False
// when the registry cannot be written.
[[nodiscard]] bool RegisterStatusTile(platform::Registry& registry, const std::filesystem::path& library);
// False when either key was already gone or could not be deleted.
[[nodiscard]] bool UnregisterStatusTile(platform::Registry& registry);

}  // namespace quelt::home
