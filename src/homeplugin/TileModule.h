#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "homeplugin/StateBlock.h"
#include "platform/Port.h"

namespace quelt::home {

// What one loaded copy of the plugin library shares among its rows: the count of live objects
// and locks, the library's folder, and the listener that receives the messenger's state. The
// state is written by the listener's thread and read by the host's.
class TileModule {
 public:
  static TileModule& Instance();

  void AddObject();
  // The last object or lock going stops the listener.
  void RemoveObject();
  [[nodiscard]] bool CanUnload() const { return objects_.load() == 0; }

  // The library file and its folder (with a trailing separator); empty when unknown.
  [[nodiscard]] const std::filesystem::path& LibraryPath() const { return library_; }
  [[nodiscard]] std::filesystem::path Folder() const;

  // Listens for the messenger if nothing of this library does yet, and asks it for its state.
  void StartListener();
  [[nodiscard]] MessengerTileState State() const;
  // Without copying the texts: the host asks at every layout.
  [[nodiscard]] bool Running() const;
  // A message from the messenger: the new state, then the host is told that the rows changed.
  // The telling happens on a thread of its own, so a slow host never holds up the messenger.
  uint32_t Receive(const platform::PortMessage& message);

  // Brings the messenger forward, or starts it from this library's folder.
  void ShowMessenger();

 private:
  TileModule();
  void StopListener();
  void TellHost(std::stop_token stop);

  std::atomic<int32_t> objects_{0};
  std::filesystem::path library_;
  mutable std::mutex mutex_;
  MessengerTileState state_;
  std::mutex listenerMutex_;
  std::unique_ptr<platform::PortListener> listener_;
  std::jthread request_;
  std::condition_variable_any changed_;
  bool changePending_ = false;  // under mutex_
  std::jthread notifier_;
};

}  // namespace quelt::home
