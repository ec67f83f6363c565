#pragma once

#include <cstdint>
#include <optional>

#include "net/NetTimings.h"

namespace quelt::icq {

// Every wait of the ICQ session in one place; tests shorten them, the program keeps these.
struct IcqTimings {
  uint32_t idlePollMs = 10000;          // while idle and wanting to be online, ask for a network this often
  uint32_t backoffStepMs = 5000;        // each failure waits this much longer before the next attempt
  uint32_t backoffMaxMs = 60000;        // but never longer than this
  std::optional<uint32_t> keepAliveMs;  // keep-alive period; ICQ_PING_PERIOD seconds when not set
  uint32_t draftExpiryMs = 300000;      // a contact's draft mark lapses after this long
  uint32_t deliveryLimitMs = 20000;     // a sent message not confirmed by then is reported
  net::NetTimings network;              // connect and proxy time-outs, buffer bound
};

}  // namespace quelt::icq
