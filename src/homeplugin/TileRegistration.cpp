#include "homeplugin/TileRegistration.h"

#include <string>

#include "homeplugin/HomeInterfaces.h"
#include "platform/Registry.h"

namespace quelt::home {
namespace {

std::string ClassKey() { return "HKCR\\CLSID\\" + GuidText(CLSID_StatusTile); }

}  // namespace

bool RegisterStatusTile(platform::Registry& registry, const std::filesystem::path& library) {
  return registry.SetString(ClassKey(), "", "QUELTMsg Plugin") &&
         registry.SetString(ClassKey() + "\\InprocServer32", "", library.string());
}

bool UnregisterStatusTile(platform::Registry& registry) {
  const bool server = registry.DeleteKey(ClassKey() + "\\InprocServer32");
  const bool component = registry.DeleteKey(ClassKey());
  return server && component;
}

}  // namespace quelt::home
