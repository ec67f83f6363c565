#include "download/DownloadRun.h"

#include <fcntl.h>

#include <filesystem>
#include <limits>
#include <span>
#include <system_error>
#include <utility>

#include "download/DownloadTask.h"
#include "download/HttpAttempt.h"
#include "platform/Event.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/TextCodec.h"
#include "platform/UniqueFd.h"

namespace quelt::download {
namespace {

constexpr char16_t kCantCreate[] = u"Can't create file";
constexpr char16_t kCantWrite[] = u"Can't write file";

// The downloaded file, open for writing until closed.
class OutputFile {
 public:
  bool Create(const std::filesystem::path& path) {
    fd_ = platform::UniqueFd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666));
    return fd_.Valid();
  }

  bool Write(std::span<const char> bytes) {
    return platform::WriteAll(fd_.Get(), {reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  }

  // False when the system could not keep what was written.
  bool Close() { return fd_.Close(); }

 private:
  platform::UniqueFd fd_;
};

// Writes the body of a successful answer to the task's file and keeps the task's progress.
class FileReceiver final : public HttpReceiver {
 public:
  FileReceiver(const std::shared_ptr<DownloadTask>& task, const DownloadEnvironment& environment,
               const std::filesystem::path& path)
      : task_(task), environment_(environment), path_(path) {}

  bool OnHead(long status, std::optional<uint64_t> contentLength) override {
    if (status != 200) {
      task_->SetError(kCantDownload);
      return false;
    }
    if (task_->StopRequested()) return false;
    std::error_code ignored;
    std::filesystem::create_directories(path_.parent_path(), ignored);
    if (environment_.folder.empty() || !file_.Create(path_)) {
      platform::Log("download: cannot create a file in %s", environment_.folder.c_str());
      task_->SetError(kCantCreate);
      return false;
    }
    bodyStarted_ = true;
    expected_ = contentLength.value_or(0);
    // The list keeps 32-bit sizes: a larger file shows as one of unknown length.
    shownTotal_ = expected_ <= std::numeric_limits<uint32_t>::max() ? static_cast<uint32_t>(expected_) : 0;
    task_->StartBody(shownTotal_);
    return true;
  }

  bool OnBlock(std::span<const char> block) override {
    if (!file_.Write(block)) return Failed();
    received_ += block.size();
    task_->AddReceived(static_cast<uint32_t>(block.size()));
    if (shownTotal_ != 0 && environment_.report) environment_.report(task_, false);
    return true;
  }

  // Closes the file. True when it holds every byte the server announced, or every byte of a
  // body of unknown length.
  bool Finish(HttpOutcome outcome) {
    if (!file_.Close()) (void)Failed();
    return !writeFailed_ && outcome == HttpOutcome::Whole && (expected_ == 0 || received_ == expected_);
  }

  [[nodiscard]] bool BodyStarted() const { return bodyStarted_; }

 private:
  bool Failed() {
    platform::Log("download: cannot write the file in %s", environment_.folder.c_str());
    writeFailed_ = true;
    task_->SetError(kCantWrite);
    return false;
  }

  const std::shared_ptr<DownloadTask>& task_;
  const DownloadEnvironment& environment_;
  const std::filesystem::path& path_;
  OutputFile file_;
  bool bodyStarted_ = false;
  bool writeFailed_ = false;
  uint64_t expected_ = 0;  // the announced length, 0 when unknown
  uint32_t shownTotal_ = 0;
  uint64_t received_ = 0;
};

// The attempts in turn, until one reaches the body. True when that one completed the file.
bool Attempt(const std::shared_ptr<DownloadTask>& task, const DownloadEnvironment& environment) {
  const std::string url = platform::Utf16ToUtf8(task->Url());
  const std::filesystem::path path = environment.folder / platform::Utf16ToUtf8(task->FileName());
  for (const AccessType access : {AccessType::Direct, AccessType::Preconfigured, AccessType::Proxy}) {
    // Without a configured proxy the last attempt would only repeat the first.
    if (access == AccessType::Proxy && !environment.proxy) continue;
    if (task->StopRequested()) continue;
    FileReceiver receiver(task, environment, path);
    const HttpOutcome outcome = RunHttpAttempt({.url = url,
                                                .access = access,
                                                .proxy = environment.proxy ? &*environment.proxy : nullptr,
                                                .stop = &task->StopEvent()},
                                               receiver);
    // Once a body has begun, its file is what the user gets, whole or not.
    if (receiver.BodyStarted()) return receiver.Finish(outcome);
  }
  return false;
}

}  // namespace

void RunDownload(const std::shared_ptr<DownloadTask>& task, const DownloadEnvironment& environment) {
  bool go = !task->StopRequested();
  if (go && environment.networkUp != nullptr) {
    go = platform::WaitFirst({&task->StopEvent(), environment.networkUp}, platform::kInfinite) == environment.networkUp;
  }
  const bool complete = go && Attempt(task, environment);
  // No server reached, or a body cut short: without a word the task would look never started.
  if (go && !complete && !task->StopRequested() && task->Progress().errorText.empty()) task->SetError(kCantDownload);
  task->Finish(complete);
  if (environment.report) environment.report(task, true);
}

}  // namespace quelt::download
