#pragma once

#include <cstdint>
#include <mutex>

#include "core/ApplicationServices.h"

namespace quelt::net {

// Keeps the application's network state from the data connection's status reports and turns
// status changes into the NetworkConnected, NetworkWaiting and NetworkLost events. On Linux the
// machine's connection is taken as given: a request is answered with "connected" at once.
class ConnectionWatcher final : public core::ConnectionRequester {
 public:
  // Status values of the handset's connection manager.
  static constexpr uint32_t kConnected = 0x10;

  void RequestConnection(core::Application& application) override;

  // A status notification: updates the low bits of the network state word, then posts the
  // matching event unless the status repeats the previous one.
  void OnStatus(core::Application& application, uint32_t status);

  // The network state (1 connected, 2 waiting, 4 disconnecting, 8 not connected, 0 unknown)
  // for a status.
  [[nodiscard]] static uint32_t StateForStatus(uint32_t status);

 private:
  std::mutex mutex_;
  uint32_t lastStatus_ = 0;
};

}  // namespace quelt::net
