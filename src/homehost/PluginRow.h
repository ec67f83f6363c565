#pragma once

#include <memory>

#include "homehost/HomeRow.h"
#include "homeplugin/ComPtr.h"

namespace quelt::home {

class PluginLibrary;

// A row drawn by a plugin object. Holds its library, so the library outlives the object.
class PluginRow final : public HomeRow {
 public:
  PluginRow(std::shared_ptr<PluginLibrary> library, ComPtr<IHomePlugin> plugin, uint32_t handle)
      : library_(std::move(library)), plugin_(std::move(plugin)), handle_(handle) {}
  // Takes the site away first, so the object lets go of the host before it is released.
  ~PluginRow() override;

  int Height() override;
  bool Selectable() override;
  uint32_t Handle() const override { return handle_; }
  void OnKey(uint16_t key) override;
  void OnAction() override;
  void OnDataChanged() override;
  void Paint(platform::Surface& screen, const platform::Rect& area, bool selected) override;

 private:
  std::shared_ptr<PluginLibrary> library_;
  ComPtr<IHomePlugin> plugin_;
  uint32_t handle_;
};

}  // namespace quelt::home
