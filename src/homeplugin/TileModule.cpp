#include "homeplugin/TileModule.h"

#include <dlfcn.h>

#include <string>
#include <system_error>
#include <vector>

#include "homeplugin/HomeInterfaces.h"
#include "platform/Log.h"
#include "platform/Spawn.h"

namespace quelt::home {
namespace {

constexpr uint32_t kPortTimeoutMs = 1000;
constexpr const char* kMessengerProgram = "QUELTMessenger";

std::filesystem::path FindLibraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&FindLibraryPath), &info) == 0 || info.dli_fname == nullptr) return {};
  std::error_code error;
  auto path = std::filesystem::canonical(info.dli_fname, error);
  return error ? std::filesystem::path(info.dli_fname) : path;
}

// The thread that waits for a started messenger runs code of this library, so the library must
// stay mapped even when the host closes it.
void PinLibrary(const std::filesystem::path& library) {
  if (library.empty()) return;
  if (void* self = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(self);
}

}  // namespace

TileModule& TileModule::Instance() {
  static TileModule module;
  return module;
}

TileModule::TileModule() : library_(FindLibraryPath()) {}

std::filesystem::path TileModule::Folder() const {
  if (!library_.has_parent_path()) return {};
  return library_.parent_path() / "";
}

void TileModule::AddObject() { ++objects_; }

void TileModule::RemoveObject() {
  if (--objects_ == 0) StopListener();
}

void TileModule::StartListener() {
  std::lock_guard lock(listenerMutex_);
  if (listener_) return;
  {
    // What was heard before the last listener stopped may be long out of date; the messenger,
    // if it runs, answers the request below with the truth.
    std::lock_guard stateLock(mutex_);
    state_ = {};
    changePending_ = false;
  }
  listener_ = platform::PortListener::Listen(kTileListenerClass,
                                             [this](const platform::PortMessage& message) { return Receive(message); });
  if (!listener_) {
    platform::Log("home plugin: another row already listens for the messenger");
    return;
  }
  try {
    notifier_ = std::jthread([this](std::stop_token stop) {
      try {
        TellHost(stop);
      } catch (const std::bad_alloc&) {
        platform::Log("out of memory");
      }
    });
    request_ = std::jthread([] {
      platform::PortMessage request{.kind = platform::PortMessageKind::CopyData, .tag = kStateRequestTag, .bytes = {}};
      (void)platform::SendToPort(kMessengerPortClass, request, kPortTimeoutMs);
    });
  } catch (const std::system_error&) {
    // A listener whose news would reach nobody is worse than none: the next Load tries again.
    listener_.reset();
    if (notifier_.joinable()) {
      notifier_.request_stop();
      notifier_.join();
    }
    platform::Log("home plugin: no thread to listen for the messenger with");
  }
}

void TileModule::StopListener() {
  std::lock_guard lock(listenerMutex_);
  if (request_.joinable()) request_.join();
  listener_.reset();
  if (notifier_.joinable()) {
    notifier_.request_stop();
    notifier_.join();
  }
}

MessengerTileState TileModule::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

bool TileModule::Running() const {
  std::lock_guard lock(mutex_);
  return state_.running;
}

uint32_t TileModule::Receive(const platform::PortMessage& message) {
  if (message.kind != platform::PortMessageKind::CopyData) return 0;
  {
    std::lock_guard lock(mutex_);
    auto state = ReadStateMessage(message.tag, message.bytes);
    // The messenger sends a block for every refresh of its view; most change nothing here.
    if (state == state_) return 1;
    state_ = std::move(state);
    changePending_ = true;
  }
  changed_.notify_one();
  return 1;
}

void TileModule::TellHost(std::stop_token stop) {
  const std::string classId = GuidText(CLSID_StatusTile);
  const platform::PortMessage notice{.kind = platform::PortMessageKind::CopyData,
                                     .tag = kDataChangedTag,
                                     .bytes = std::vector<uint8_t>(classId.begin(), classId.end())};
  while (true) {
    {
      std::unique_lock lock(mutex_);
      if (!changed_.wait(lock, stop, [this] { return changePending_; })) return;
      // Several blocks that arrive while the host is told make one notice.
      changePending_ = false;
    }
    (void)platform::SendToPort(kHomeHostPortClass, notice, kPortTimeoutMs);
  }
}

void TileModule::ShowMessenger() {
  if (platform::PortExists(kMessengerPortClass)) {
    const platform::PortMessage activate{.kind = platform::PortMessageKind::Activate, .tag = 0, .bytes = {}};
    if (platform::SendToPort(kMessengerPortClass, activate, kPortTimeoutMs)) return;
  }
  const auto folder = Folder();
  if (folder.empty()) return;
  PinLibrary(library_);
  // In a process group of its own: a Ctrl-C meant for the home screen must not end it too.
  if (!platform::SpawnDetached({(folder / kMessengerProgram).string()}, {.ownProcessGroup = true})) {
    platform::Log("home plugin: could not start the messenger");
  }
}

}  // namespace quelt::home
