#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/SettingsValues.h"
#include "platform/UniqueFd.h"

namespace quelt::net {

// How a connection is opened: directly, or tunnelled through a proxy (ICQ only).
struct ProxySettings {
  core::ProxyType type = core::ProxyType::None;
  std::string host;  // 8-bit, ANSI code page
  int32_t port = 0;
  std::string user;  // SOCKS5 only; empty: no authentication
  std::string password;
};

// Bounds on the blocking steps, so that a silent server or proxy cannot hold a thread for ever.
struct ConnectTimeouts {
  uint32_t connectMs = 30000;   // each TCP connection attempt
  uint32_t exchangeMs = 30000;  // the whole proxy negotiation
};

enum class ConnectResult : int {
  Connected = 0,
  ResolveFailed = 1,  // name resolution or socket creation failed
  ConnectFailed = 2,  // the TCP connection to the server or proxy failed (or was cancelled)
  ProxyFailed = 3,    // the proxy refused, or answered short or wrongly, or too late
};

struct Connection {
  ConnectResult result = ConnectResult::ResolveFailed;
  platform::UniqueFd socket;  // open and blocking-free (O_NONBLOCK) only when Connected
};

// Opens a TCP connection to host:port (IPv4), through the proxy when one is set. `cancelFd`, when
// not -1, is a descriptor that becomes readable to abandon the attempt at once (result 2). Runs on
// the calling thread.
[[nodiscard]] Connection ConnectVia(std::string_view host, std::string_view port, const ProxySettings& proxy,
                                    const ConnectTimeouts& timeouts = {}, int cancelFd = -1);

}  // namespace quelt::net
