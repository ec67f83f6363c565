#pragma once

#include <cstdint>
#include <optional>

#include "core/ReconnectMachine.h"
#include "net/NetTimings.h"

namespace quelt::icq {

// Every wait of the ICQ session in one place; tests shorten them, the program keeps these.
struct IcqTimings {
  core::ReconnectTimings reconnect;     // network polling and the back-off
  std::optional<uint32_t> keepAliveMs;  // keep-alive period; ICQ_PING_PERIOD seconds when not set
  uint32_t draftExpiryMs = 300000;      // a contact's draft mark lapses after this long
  uint32_t deliveryLimitMs = 20000;     // a sent message not confirmed by then is reported
  net::NetTimings network;              // connect and proxy time-outs, buffer bound
};

}  // namespace quelt::icq
