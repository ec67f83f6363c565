#pragma once

#include <atomic>
#include <memory>
#include <optional>

#include "homeplugin/ComPtr.h"
#include "homeplugin/TilePainter.h"
#include "homeplugin/TileSettings.h"

namespace quelt::platform {
class Font;
}

namespace quelt::home {

// One row of the messenger's state on the home screen. The host calls it on its own thread;
// the state it shows comes from the library's listener.
class StatusTilePlugin final : public IHomePlugin, public IPersistStream {
 public:
  // Counted as one of the library's objects until its last reference goes.
  [[nodiscard]] static ComPtr<StatusTilePlugin> Create();

  // IUnknown, shared by both interfaces.
  Result QueryInterface(const Guid& iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;

  // IHomePlugin.
  Result SetSite(IUnknown* site) override;
  Result GetSite(const Guid& iid, void** out) override;
  Result Initialize(uint32_t pluginHandle, pugi::xml_node parameters, pugi::xml_node defaults) override;
  Result GetHeight(int32_t* height) override;
  Result GetSelectability(bool* selectable) override;
  Result OnEvent(const HomeEvent* event) override;

  // IPersistStream.
  Result GetClassID(Guid* out) override;
  Result IsDirty() override { return S_OK; }
  Result Load(IStream* stream) override;
  Result Save(IStream* stream, bool clearDirty) override;
  Result GetSizeMax(uint64_t* size) override;

  [[nodiscard]] const TileSettings& Settings() const { return settings_; }

 private:
  StatusTilePlugin();
  ~StatusTilePlugin();
  [[nodiscard]] bool Hidden() const;
  void Invalidate();
  void Paint(const HomeEvent& event);

  std::atomic<uint32_t> references_{1};
  ComPtr<IHomeHost> host_;
  ComPtr<IHomeColors> theme_;
  TileSettings settings_;
  std::optional<TileLook> look_;
  std::shared_ptr<platform::Font> font_;
};

}  // namespace quelt::home
