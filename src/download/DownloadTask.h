#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Event.h"

namespace quelt::download {

// What a task shows: a copy taken under the task's lock.
struct DownloadProgress {
  uint32_t partial = 0;    // bytes received so far
  uint32_t totalSize = 0;  // what the server announced; 0 when it gave no length
  bool running = false;
  bool complete = false;
  std::u16string errorText;  // the last failure, or empty
};

// One link and its file. Shared by the user-interface thread, which starts, stops and shows it,
// and the task's download thread, which alone changes the progress while it runs.
class DownloadTask {
 public:
  // An empty file name is taken from the link.
  DownloadTask(std::u16string url, std::u16string fileName);
  DownloadTask(const DownloadTask&) = delete;
  DownloadTask& operator=(const DownloadTask&) = delete;

  [[nodiscard]] const std::u16string& Url() const { return url_; }
  [[nodiscard]] const std::u16string& FileName() const { return fileName_; }
  [[nodiscard]] DownloadProgress Progress() const;

  // A task read back from the saved list.
  void Restore(uint32_t partial, uint32_t totalSize, bool complete);
  // Clears the stop request and completeness; when no thread works on the task, resets its
  // progress and marks it running. True when the caller must start a thread for it.
  [[nodiscard]] bool BeginRun();
  void RequestStop() { stop_.Set(); }
  [[nodiscard]] platform::Event& StopEvent() { return stop_; }
  [[nodiscard]] bool StopRequested() const { return stop_.IsSet(); }

  // The download thread's side.
  void SetError(std::u16string text);
  void StartBody(uint32_t totalSize);  // a new body begins: its announced length, nothing received
  void AddReceived(uint32_t bytes);
  void Finish(bool complete);  // the thread ends: complete or not, no longer running
  // The file was deleted: nothing of it is left to show.
  void ClearPartial();
  // True at most once per interval: a fast link must not flood the screen with repaints.
  [[nodiscard]] bool ProgressReportDue(uint32_t nowMs, uint32_t intervalMs);

 private:
  const std::u16string url_;
  const std::u16string fileName_;
  mutable std::mutex mutex_;
  DownloadProgress progress_;
  std::optional<uint32_t> lastReportMs_;
  platform::Event stop_{platform::Event::Mode::ManualReset, false};
};

}  // namespace quelt::download
