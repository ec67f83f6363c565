#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/ReconnectMachine.h"
#include "net/NetTimings.h"

namespace quelt::msn {

// Every wait of the MSN engine in one place; tests shorten them, the program keeps these.
struct MsnTimings {
  core::ReconnectTimings reconnect;         // network polling and the back-off
  std::optional<uint32_t> keepAliveMs;      // keep-alive period; MSN_PING_PERIOD seconds when not set
  uint32_t switchboardIdleMs = 20 * 60000;  // switchboards quiet this long are closed
  uint32_t activityExpiryMs = 5 * 60000;    // a contact's activity mark lapses after this long
  uint32_t sendTimeoutMs = 60000;           // an unacknowledged message is reported as failed
  uint32_t typingSpacingMs = 5000;          // typing notices go out at most this often
  uint32_t typingExpiryMs = 6000;           // a contact's typing notice shows this long
  uint32_t invitationExpiryMs = 15000;      // an invitation waiting for a switchboard lapses
  uint32_t passportTimeoutMs = 30000;       // each HTTPS request of the Passport login
  net::NetTimings network;                  // connect time-outs, buffer bound
};

}  // namespace quelt::msn
