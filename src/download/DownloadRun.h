#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/SettingsValues.h"

namespace quelt::platform {
class Event;
}

namespace quelt::download {

class DownloadTask;

// The proxy of the third attempt: the ICQ proxy of the configuration.
struct DownloadProxy {
  core::ProxyType type = core::ProxyType::None;
  std::string host;
  int32_t port = 0;
  std::string user;
  std::string password;
};

// A download that did not come: no server answered it, or not with the file.
inline constexpr char16_t kCantDownload[] = u"Can't download file";

// What one download needs from the program.
struct DownloadEnvironment {
  std::filesystem::path folder;          // the incoming folder the file is written to
  std::optional<DownloadProxy> proxy;    // absent when no proxy is configured
  platform::Event* networkUp = nullptr;  // the application's network-up signal; outlives the run
  // The task changed; `finished` on the final step only. Called on the download thread.
  std::function<void(const std::shared_ptr<DownloadTask>&, bool finished)> report;
};

// The whole life of one started download, on the calling thread: the wait for the network or
// a stop, at most three attempts (direct; the system's proxy settings; the configured proxy),
// and the final step. The task must have been marked running (DownloadTask::BeginRun).
void RunDownload(const std::shared_ptr<DownloadTask>& task, const DownloadEnvironment& environment);

}  // namespace quelt::download
