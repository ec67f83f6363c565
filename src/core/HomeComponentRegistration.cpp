#include "core/HomeComponentRegistration.h"

#include <string>

namespace quelt::core {

bool RegisterHomeComponent(platform::Registry& registry, const std::filesystem::path& programFolder) {
  const std::string classKey = std::string("HKCR\\CLSID\\") + std::string(kStatusTileClassId);
  const std::string library = (programFolder / kStatusTileLibrary).string();
  return registry.SetString(classKey, "", "QUELTMsg Plugin") &&
         registry.SetString(classKey + "\\InprocServer32", "", library);
}

}  // namespace quelt::core
