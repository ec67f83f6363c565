#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "download/DownloadRun.h"

namespace quelt::platform {
class Event;
}

namespace quelt::download {

// How an attempt reaches the server.
enum class AccessType {
  Direct,         // no proxy, whatever the environment says
  Preconfigured,  // the http_proxy / https_proxy / no_proxy variables, as libcurl reads them
  Proxy,          // the configured proxy
};

// The largest block a receiver is handed.
inline constexpr size_t kHttpBlockSize = 5120;

// How long a connection may take to open, and how long a transfer may stay below one byte a
// second, before the attempt is given up.
inline constexpr long kHttpConnectTimeoutSeconds = 30;
inline constexpr long kHttpStallSeconds = 60;

// Takes the final answer of one GET as it arrives, on the thread that runs the attempt.
class HttpReceiver {
 public:
  virtual ~HttpReceiver() = default;
  // The final answer's head, after redirects: its status and the length it announced, if any.
  // Comes before the first block, or after the transfer when the body was empty. False ends the
  // transfer.
  virtual bool OnHead(long status, std::optional<uint64_t> contentLength) = 0;
  // The next block of the body, never empty. False ends the transfer.
  virtual bool OnBlock(std::span<const char> block) = 0;
};

enum class HttpOutcome {
  NoAnswer,  // the receiver saw no head: no library, no connection, or a stop came first
  Cut,       // the receiver saw the head, but the body did not arrive whole or was declined
  Whole,     // the receiver took the head and the whole body
};

struct HttpRequest {
  std::string url;
  AccessType access = AccessType::Direct;
  const DownloadProxy* proxy = nullptr;  // used by AccessType::Proxy; must be set for it
  platform::Event* stop = nullptr;       // ends the transfer within about a second once set
};

// One GET of the link, redirects followed.
[[nodiscard]] HttpOutcome RunHttpAttempt(const HttpRequest& request, HttpReceiver& receiver);

}  // namespace quelt::download
