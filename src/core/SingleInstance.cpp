#include "core/SingleInstance.h"

#include "platform/Log.h"

namespace quelt::core {

InstanceClaim ClaimSingleInstance(std::string_view windowClass, platform::PortListener::Handler handler) {
  // Two copies started together race for the port: the loser of the bind finds the winner's
  // port answering on the next round.
  constexpr int kAttempts = 3;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
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
