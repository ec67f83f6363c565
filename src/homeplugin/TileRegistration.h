#pragma once

#include <filesystem>
#include <string_view>

namespace quelt::platform {
class Registry;
}

namespace quelt::home {

// The row's library, kept beside the program.
inline constexpr std::string_view kStatusTileLibrary = "StatusTile.so";

// The messenger's row class and the library that serves it, as the host looks them up. False
// when the registry cannot be written.
[[nodiscard]] bool RegisterStatusTile(platform::Registry& registry, const std::filesystem::path& library);
// False when either key was already gone or could not be deleted.
[[nodiscard]] bool UnregisterStatusTile(platform::Registry& registry);

}  // namespace quelt::home
