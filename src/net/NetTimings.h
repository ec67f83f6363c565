#pragma once

#include <cstdint>

#include "net/ConnectVia.h"

namespace quelt::net {

// The limits of a connection, in one place so that tests can shorten them.
struct NetTimings {
  ConnectTimeouts connect;
  // The accumulation buffer may hold this much unparsed data; beyond it the connection is
  // closed as broken. Both protocols' units are far smaller.
  size_t maxBufferedBytes = 1 << 20;
};

}  // namespace quelt::net
