#include "homeplugin/SchemeSetting.h"

namespace quelt::home {

std::filesystem::path ShippedSchemeFolder(const std::filesystem::path& programFolder) { return programFolder / "Home"; }

std::filesystem::path SchemeFileFor(std::string_view setting, const std::filesystem::path& shippedFolder) {
  if (setting.empty()) return shippedFolder.empty() ? std::filesystem::path() : shippedFolder / "Default.home.xml";
  const std::filesystem::path path(setting);
  return path.is_absolute() || shippedFolder.empty() ? path : shippedFolder / path;
}

}  // namespace quelt::home
