#pragma once

#include <filesystem>
#include <string_view>

#include "platform/Registry.h"

namespace quelt::core {

inline constexpr std::string_view kStatusTileClassId = "{A37FA94B-2EBD-4662-BFEE-EF6434E2EAC3}";
inline constexpr std::string_view kStatusTileLibrary = "StatusTile.so";

// Records the home-screen plugin's class and library path in the registry, so that the home
// host can load the plugin from the program's folder. False when the registry cannot be written.
[[nodiscard]] bool RegisterHomeComponent(platform::Registry& registry, const std::filesystem::path& programFolder);

}  // namespace quelt::core
