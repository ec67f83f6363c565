#include "homehost/HostMailbox.h"

#include <utility>

namespace quelt::home {

template <typename Change>
void HostMailbox::Post(Change change) {
  bool first = false;
  {
    const std::lock_guard lock(mutex_);
    first = work_.Empty();
    change();
  }
  if (first && wake_) wake_();
}

bool HostMailbox::Invalidate(uint32_t pluginHandle) {
  {
    const std::lock_guard lock(mutex_);
    if (!live_.contains(pluginHandle)) return false;
  }
  Post([&] { work_.invalidated.insert(pluginHandle); });
  return true;
}

void HostMailbox::PostDataChanged(const Guid& clsid) {
  Post([&] { work_.dataChanged.push_back(clsid); });
}

void HostMailbox::PostFilesChanged() {
  Post([&] { work_.filesChanged = true; });
}

void HostMailbox::SetLiveHandles(std::set<uint32_t> handles) {
  const std::lock_guard lock(mutex_);
  live_ = std::move(handles);
  std::erase_if(work_.invalidated, [this](uint32_t handle) { return !live_.contains(handle); });
}

HostMailbox::Work HostMailbox::Take() {
  const std::lock_guard lock(mutex_);
  return std::exchange(work_, Work{});
}

}  // namespace quelt::home
