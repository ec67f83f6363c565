#include "download/DownloadManager.h"

#include <algorithm>
#include <system_error>
#include <thread>

#include "core/Application.h"
#include "core/SessionWorker.h"
#include "core/Settings.h"
#include "download/DownloadFileName.h"
#include "download/DownloadStateFile.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/OutOfMemory.h"
#include "platform/TextCodec.h"

namespace quelt::download {
namespace {

// Progress shows ten times a second at most; a block arrives far more often on a fast link.
constexpr uint32_t kProgressReportMs = 100;

// Counts a download thread among the workers the program waits for at quit.
class DownloadWorker final : core::SessionWorker {};

std::optional<DownloadProxy> ConfiguredProxy(const core::SettingsValues& values) {
  if (values.icqProxyType == core::ProxyType::None || values.icqProxyHost.empty()) return std::nullopt;
  return DownloadProxy{.type = values.icqProxyType,
                       .host = platform::Utf16ToUtf8(values.icqProxyHost),
                       .port = values.icqProxyPort,
                       .user = platform::Utf16ToUtf8(values.icqProxyUser),
                       .password = platform::Utf16ToUtf8(values.icqProxyPassword)};
}

}  // namespace

void DownloadManager::Attach(core::Application& application) {
  std::lock_guard lock(mutex_);
  application_ = &application;
}

void DownloadManager::Detach() {
  std::lock_guard lock(mutex_);
  application_ = nullptr;
}

void DownloadManager::SaveList() { Write(TakeSnapshot()); }

DownloadManager::Snapshot DownloadManager::TakeSnapshot() {
  std::lock_guard lock(mutex_);
  Snapshot snapshot{.folder = folder_, .generation = ++generation_};
  snapshot.records.reserve(tasks_.size());
  for (const auto& task : tasks_) {
    const auto progress = task->Progress();
    snapshot.records.push_back({.url = task->Url(),
                                .fileName = task->FileName(),
                                .partial = progress.partial,
                                .totalSize = progress.totalSize,
                                .complete = progress.complete});
  }
  return snapshot;
}

void DownloadManager::Write(const Snapshot& snapshot) {
  // The disk is slow; the list stays free for the window meanwhile, and an older snapshot that
  // comes late never replaces a newer one.
  std::lock_guard lock(writeMutex_);
  if (snapshot.folder.empty() || snapshot.generation <= written_) return;
  written_ = snapshot.generation;
  if (!SaveDownloadList(snapshot.folder / kStateFileName, snapshot.records)) {
    platform::Log("could not write the download list in %s", snapshot.folder.c_str());
  }
}

void DownloadManager::LoadList(const std::shared_ptr<core::Settings>& settings) {
  const auto values = settings->Values();
  std::filesystem::path folder = platform::Utf16ToUtf8(values.incomingFolder);
  {
    std::lock_guard lock(mutex_);
    // Other settings changed: the list and its running downloads stay as they are.
    if (settings_ && folder == folder_) {
      settings_ = settings;
      return;
    }
  }
  std::vector<std::shared_ptr<DownloadTask>> tasks;
  for (auto& record : LoadDownloadList(folder / kStateFileName)) {
    auto task = std::make_shared<DownloadTask>(std::move(record.url), std::move(record.fileName));
    task->Restore(record.partial, record.totalSize, record.complete);
    tasks.push_back(std::move(task));
  }
  std::lock_guard lock(mutex_);
  // The old folder's list is saved; its downloads end rather than run on unseen.
  for (const auto& task : tasks_) task->RequestStop();
  settings_ = settings;
  folder_ = std::move(folder);
  tasks_ = std::move(tasks);
}

DownloadManager::Added DownloadManager::AddLink(const std::u16string& url) {
  std::shared_ptr<DownloadTask> task;
  Added added;
  {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(tasks_.rbegin(), tasks_.rend(), [&](const auto& t) { return t->Url() == url; });
    if (found != tasks_.rend()) return {.index = static_cast<size_t>(tasks_.rend() - found) - 1, .isNew = false};
    // A new download never takes the file of another task or one already in the folder.
    const auto taken = [this](const std::u16string& name) {
      std::error_code error;
      // A link of that name counts too, even one that leads nowhere.
      return std::filesystem::symlink_status(folder_ / platform::Utf16ToUtf8(name), error).type() !=
                 std::filesystem::file_type::not_found ||
             std::any_of(tasks_.begin(), tasks_.end(), [&name](const auto& t) { return t->FileName() == name; });
    };
    task = std::make_shared<DownloadTask>(url, UniqueFileName(FileNameFromLink(url), taken));
    tasks_.push_back(task);
    added = {.index = tasks_.size() - 1, .isNew = true};
  }
  SaveList();
  Start(task);
  return added;
}

void DownloadManager::Start(const std::shared_ptr<DownloadTask>& task) {
  core::Application* application = nullptr;
  DownloadEnvironment environment;
  {
    std::lock_guard lock(mutex_);
    application = application_;
    environment.folder = folder_;
    if (settings_) environment.proxy = ConfiguredProxy(settings_->Values());
  }
  if (application == nullptr) return;
  application->PostEvent(core::MakeEvent(core::EventCode::ConnectNetwork));
  if (task->BeginRun()) {
    environment.networkUp = &application->NetworkUp();
    environment.report = [weak = weak_from_this()](const std::shared_ptr<DownloadTask>& changed, bool finished) {
      if (const auto self = weak.lock()) self->Report(changed, finished);
    };
    try {
      std::thread([task, environment, worker = std::make_shared<DownloadWorker>()] {
        if (!platform::GuardOutOfMemory([&] { RunDownload(task, environment); })) {
          task->Finish(false);
          environment.report(task, true);
        }
      }).detach();
    } catch (const std::system_error&) {
      platform::Log("could not start a download thread");
      task->SetError(kCantDownload);
      task->Finish(false);
      SaveList();
    }
  }
  application->PostEvent(core::MakeEvent(core::EventCode::DownloadUpdate, task));
}

void DownloadManager::Report(const std::shared_ptr<DownloadTask>& task, bool finished) {
  if (!finished && !task->ProgressReportDue(platform::Ticks(), kProgressReportMs)) return;
  // The list keeps what a finished download left; progress on the way is only shown.
  if (finished) SaveList();
  core::Application* application = nullptr;
  {
    std::lock_guard lock(mutex_);
    application = application_;
  }
  if (application != nullptr) application->PostEvent(core::MakeEvent(core::EventCode::DownloadUpdate, task));
}

void DownloadManager::Stop(const std::shared_ptr<DownloadTask>& task) { task->RequestStop(); }

void DownloadManager::Remove(const std::shared_ptr<DownloadTask>& task) {
  // A task no one can see any more must not go on filling the disk.
  task->RequestStop();
  {
    std::lock_guard lock(mutex_);
    std::erase(tasks_, task);
  }
  SaveList();
}

void DownloadManager::DeleteFile(const std::shared_ptr<DownloadTask>& task) {
  if (task->Progress().running) return;
  std::error_code error;
  std::filesystem::remove(FileOf(*task), error);
  task->ClearPartial();
  SaveList();
}

void DownloadManager::StopAll() {
  std::lock_guard lock(mutex_);
  for (const auto& task : tasks_) task->RequestStop();
}

std::vector<std::shared_ptr<DownloadTask>> DownloadManager::Tasks() const {
  std::lock_guard lock(mutex_);
  return tasks_;
}

std::filesystem::path DownloadManager::Folder() const {
  std::lock_guard lock(mutex_);
  return folder_;
}

std::filesystem::path DownloadManager::FileOf(const DownloadTask& task) const {
  return Folder() / platform::Utf16ToUtf8(task.FileName());
}

}  // namespace quelt::download
