#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/ApplicationServices.h"
#include "download/DownloadRun.h"
#include "download/DownloadStateFile.h"
#include "download/DownloadTask.h"

namespace quelt::core {
class Application;
class Settings;
}  // namespace quelt::core

namespace quelt::download {

// The list of download tasks, in the order they were added, and the file that keeps it in the
// incoming folder. The list is written after every change. Every thread may call it.
class DownloadManager final : public core::DownloadListStore, public std::enable_shared_from_this<DownloadManager> {
 public:
  // The application that downloads post their updates to and whose network they wait for. It
  // must outlive every download thread: the program stops them and waits at quit.
  void Attach(core::Application& application);
  // The application is going: nothing is posted to it any more.
  void Detach();

  void SaveList() override;
  void LoadList(const std::shared_ptr<core::Settings>& settings) override;

  struct Added {
    size_t index = 0;    // the link's task in the list
    bool isNew = false;  // appended and started now, rather than found
  };
  // Finds the link's task, searching from the newest, or appends a new one and starts it.
  Added AddLink(const std::u16string& url);
  // Fetches the task's file again from its first byte.
  void Start(const std::shared_ptr<DownloadTask>& task);
  void Stop(const std::shared_ptr<DownloadTask>& task);
  void Remove(const std::shared_ptr<DownloadTask>& task);
  // Deletes the task's file, unless a download is writing it.
  void DeleteFile(const std::shared_ptr<DownloadTask>& task);
  // Asks every running download to end, at quit.
  void StopAll();

  [[nodiscard]] std::vector<std::shared_ptr<DownloadTask>> Tasks() const;
  [[nodiscard]] std::filesystem::path Folder() const;
  [[nodiscard]] std::filesystem::path FileOf(const DownloadTask& task) const;

 private:
  // The list as the file keeps it, taken under the lock and written after it.
  struct Snapshot {
    std::filesystem::path folder;
    std::vector<DownloadRecord> records;
    uint64_t generation = 0;
  };
  [[nodiscard]] Snapshot TakeSnapshot();
  void Write(const Snapshot& snapshot);
  void Report(const std::shared_ptr<DownloadTask>& task, bool finished);

  mutable std::mutex mutex_;
  uint64_t generation_ = 0;  // of the newest snapshot
  std::mutex writeMutex_;
  uint64_t written_ = 0;                      // the generation on disk, under writeMutex_
  core::Application* application_ = nullptr;  // not owned
  std::shared_ptr<core::Settings> settings_;
  std::filesystem::path folder_;
  std::vector<std::shared_ptr<DownloadTask>> tasks_;
};

}  // namespace quelt::download
