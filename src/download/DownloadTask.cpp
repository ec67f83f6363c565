#include "download/DownloadTask.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "download/DownloadFileName.h"

namespace quelt::download {

DownloadTask::DownloadTask(std::u16string url, std::u16string fileName)
    : url_(std::move(url)), fileName_(fileName.empty() ? FileNameFromLink(url_) : SafeFileName(fileName)) {}

DownloadProgress DownloadTask::Progress() const {
  std::lock_guard lock(mutex_);
  return progress_;
}

void DownloadTask::Restore(uint32_t partial, uint32_t totalSize, bool complete) {
  std::lock_guard lock(mutex_);
  progress_.partial = partial;
  progress_.totalSize = totalSize;
  progress_.complete = complete;
}

bool DownloadTask::BeginRun() {
  stop_.Reset();
  std::lock_guard lock(mutex_);
  progress_.complete = false;
  if (progress_.running) return false;
  progress_.errorText.clear();
  progress_.partial = 0;
  progress_.totalSize = 0;
  progress_.running = true;
  return true;
}

void DownloadTask::SetError(std::u16string text) {
  std::lock_guard lock(mutex_);
  progress_.errorText = std::move(text);
}

void DownloadTask::StartBody(uint32_t totalSize) {
  std::lock_guard lock(mutex_);
  progress_.totalSize = totalSize;
  progress_.partial = 0;
}

void DownloadTask::AddReceived(uint32_t bytes) {
  std::lock_guard lock(mutex_);
  // Past 4 GiB of a body of unknown length the count stays at its largest rather than wrapping.
  const uint32_t room = std::numeric_limits<uint32_t>::max() - progress_.partial;
  progress_.partial += std::min(bytes, room);
}

void DownloadTask::Finish(bool complete) {
  std::lock_guard lock(mutex_);
  // An attempt that failed before the one that brought the file whole is no failure of the file.
  if (complete) progress_.errorText.clear();
  progress_.complete = complete;
  progress_.running = false;
}

void DownloadTask::ClearPartial() {
  std::lock_guard lock(mutex_);
  if (progress_.running) return;
  progress_.partial = 0;
  progress_.complete = false;
}

bool DownloadTask::ProgressReportDue(uint32_t nowMs, uint32_t intervalMs) {
  std::lock_guard lock(mutex_);
  if (lastReportMs_ && nowMs - *lastReportMs_ < intervalMs) return false;
  lastReportMs_ = nowMs;
  return true;
}

}  // namespace quelt::download
