#pragma once

#include <atomic>

#include "homeplugin/ComPtr.h"

namespace quelt::home {

// Makes the messenger's rows; counted as one of the library's objects only while locked.
class TileFactory final : public IClassFactory {
 public:
  [[nodiscard]] static ComPtr<TileFactory> Create();

  Result QueryInterface(const Guid& iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  Result CreateInstance(IUnknown* outer, const Guid& iid, void** out) override;
  Result LockServer(bool lock) override;

 private:
  TileFactory() = default;
  ~TileFactory() = default;
  std::atomic<uint32_t> references_{1};
};

}  // namespace quelt::home
