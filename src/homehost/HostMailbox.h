#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

#include "homeplugin/HomeInterfaces.h"

namespace quelt::home {

// What other threads (the port, the file watcher, plugins' own threads) hand the home screen's
// thread. Posting never calls into a row and never waits for the UI thread; the first post after a
// Take wakes it once.
class HostMailbox {
 public:
  struct Work {
    std::set<uint32_t> invalidated;
    std::vector<Guid> dataChanged;
    bool filesChanged = false;
    [[nodiscard]] bool Empty() const { return invalidated.empty() && dataChanged.empty() && !filesChanged; }
  };

  // `wake` is called on the posting thread, outside the lock.
  explicit HostMailbox(std::function<void()> wake) : wake_(std::move(wake)) {}

  // False for a handle that belongs to no row now.
  [[nodiscard]] bool Invalidate(uint32_t pluginHandle);
  void PostDataChanged(const Guid& clsid);
  void PostFilesChanged();

  // UI thread.
  void SetLiveHandles(std::set<uint32_t> handles);
  [[nodiscard]] Work Take();

 private:
  template <typename Change>
  void Post(Change change);

  const std::function<void()> wake_;
  std::mutex mutex_;
  std::set<uint32_t> live_;
  Work work_;
};

}  // namespace quelt::home
