// The library's exports: what the home host looks up by name.
#include <new>

#include "homeplugin/TileFactory.h"
#include "homeplugin/TileModule.h"
#include "homeplugin/TileRegistration.h"
#include "platform/Registry.h"

using namespace quelt::home;

#define QUELT_EXPORT extern "C" __attribute__((visibility("default")))

QUELT_EXPORT Result DllGetClassObject(const Guid* clsid, const Guid* iid, void** out) {
  if (clsid == nullptr || iid == nullptr || out == nullptr) return E_POINTER;
  *out = nullptr;
  if (*clsid != CLSID_StatusTile) return CLASS_E_CLASSNOTAVAILABLE;
  try {
    const auto factory = TileFactory::Create();
    if (!factory) return E_OUTOFMEMORY;
    return factory->QueryInterface(*iid, out);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

QUELT_EXPORT Result DllCanUnloadNow() { return TileModule::Instance().CanUnload() ? S_OK : S_FALSE; }

QUELT_EXPORT Result DllRegisterServer() {
  const auto& library = TileModule::Instance().LibraryPath();
  if (library.empty()) return E_FAIL;
  auto registry = quelt::platform::Registry::ForUser();
  return RegisterStatusTile(registry, library) ? S_OK : E_FAIL;
}

QUELT_EXPORT Result DllUnregisterServer() {
  auto registry = quelt::platform::Registry::ForUser();
  return UnregisterStatusTile(registry) ? S_OK : E_FAIL;
}
