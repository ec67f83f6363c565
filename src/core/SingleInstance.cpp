#include "core/SingleInstance.h"

#include "platform/Clock.h"
#include "platform/Log.h"

namespace quelt::core {

InstanceClaim ClaimSingleInstance(std::string_view windowClass, platform::PortListener::Handler handler) {
  // Copies started together race for the port: a loser finds the winner's port answering on a
  // later round, once the winner is listening.
  constexpr int kAttempts = 6;
  constexpr uint32_t kBackoffStepMs = 25;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (attempt > 0) platform::SleepMs(kBackoffStepMs * static_cast<uint32_t>(attempt));
    const platform::PortMessage activate{.kind = platform::PortMessageKind::Activate, .tag = 0, .bytes = {}};
    if (platform::SendToPort(windowClass, activate)) return {.port = nullptr, .anotherIsRunning = true};
    if (auto port = platform::PortListener::Listen(windowClass, handler)) {
      return {.port = std::move(port), .anotherIsRunning = false};
    }
  }
  platform::Log("single-instance port unavailable; running without it");
  return {};
}

}  // namespace quelt::core
