#pragma once

#include <filesystem>
#include <string_view>

namespace quelt::home {

// Where the device keeps the home screen's scheme: a registry value naming a file.
inline constexpr std::string_view kHomeSettingsKey = "HKCU\\ControlPanel\\Home";
inline constexpr std::string_view kSchemeValueName = "Scheme";

// The home screen's shipped schemes, beside the program.
[[nodiscard]] std::filesystem::path ShippedSchemeFolder(const std::filesystem::path& programFolder);

// The file a "Scheme" setting names, read as the home screen reads it: a relative name is in
// the shipped folder, and no setting means the shipped "Default.home.xml". Without a shipped
// folder, no setting names nothing and a relative name stays as it is.
[[nodiscard]] std::filesystem::path SchemeFileFor(std::string_view setting, const std::filesystem::path& shippedFolder);

}  // namespace quelt::home
