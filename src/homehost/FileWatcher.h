#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "platform/UniqueFd.h"
#include "platform/Waker.h"

namespace quelt::home {

// Tells when one of a few files is written, replaced by rename or removed, by watching their
// folders with inotify on a thread of its own (no polling).
class FileWatcher {
 public:
  // `changed` runs on the watcher's thread and must not block. Nothing when inotify is not there.
  [[nodiscard]] static std::unique_ptr<FileWatcher> Start(std::function<void()> changed);
  ~FileWatcher();
  FileWatcher(const FileWatcher&) = delete;
  FileWatcher& operator=(const FileWatcher&) = delete;

  // The files to watch from now on; their folders must exist. Any thread.
  void Watch(const std::set<std::filesystem::path>& files);

 private:
  FileWatcher(platform::UniqueFd inotify, std::function<void()> changed);
  void Run();
  [[nodiscard]] bool Matches(int watch, std::string_view name);

  platform::UniqueFd inotify_;
  platform::Waker stop_;
  std::function<void()> changed_;
  std::mutex mutex_;
  std::map<int, std::filesystem::path> folders_;  // by watch descriptor
  std::set<std::filesystem::path> files_;
  std::thread thread_;
};

}  // namespace quelt::home
