#include "homehost/PluginRow.h"

#include "homehost/PluginLibrary.h"
#include "platform/screen/Surface.h"

namespace quelt::home {

PluginRow::~PluginRow() {
  if (plugin_) plugin_->SetSite(nullptr);
  plugin_.Reset();
}

int PluginRow::Height() {
  int32_t height = 0;
  if (!Succeeded(plugin_->GetHeight(&height))) return 0;
  return height > 0 ? height : 0;
}

bool PluginRow::Selectable() {
  bool selectable = false;
  return Succeeded(plugin_->GetSelectability(&selectable)) && selectable;
}

void PluginRow::OnKey(uint16_t key) {
  HomeEvent event;
  event.number = HomeEventNumber::Key;
  event.key = key;
  plugin_->OnEvent(&event);
}

void PluginRow::OnAction() {
  HomeEvent event;
  event.number = HomeEventNumber::Action;
  plugin_->OnEvent(&event);
}

void PluginRow::OnDataChanged() {
  HomeEvent event;
  event.number = HomeEventNumber::DataChanged;
  plugin_->OnEvent(&event);
}

void PluginRow::Paint(platform::Surface& screen, const platform::Rect& area, bool selected) {
  HomeEvent event;
  event.number = HomeEventNumber::Paint;
  event.surface = screen.Raw();
  event.selected = selected;
  event.rect = {area.x, area.y, area.x + area.width, area.y + area.height};
  plugin_->OnEvent(&event);
}

}  // namespace quelt::home
