#include "homeplugin/TileFactory.h"

#include <new>

#include "homeplugin/StatusTilePlugin.h"
#include "homeplugin/TileModule.h"

namespace quelt::home {

ComPtr<TileFactory> TileFactory::Create() { return ComPtr<TileFactory>::Adopt(new (std::nothrow) TileFactory()); }

Result TileFactory::QueryInterface(const Guid& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  *out = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

uint32_t TileFactory::AddRef() { return ++references_; }

uint32_t TileFactory::Release() {
  const uint32_t left = --references_;
  if (left == 0) delete this;
  return left;
}

Result TileFactory::CreateInstance(IUnknown* outer, const Guid& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  const auto plugin = StatusTilePlugin::Create();
  if (!plugin) return E_OUTOFMEMORY;
  return plugin->QueryInterface(iid, out);
}

Result TileFactory::LockServer(bool lock) {
  if (lock) {
    TileModule::Instance().AddObject();
  } else {
    TileModule::Instance().RemoveObject();
  }
  return S_OK;
}

}  // namespace quelt::home
