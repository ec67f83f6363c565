#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/UniqueFd.h"

namespace quelt::test {

// A TCP server on 127.0.0.1 for tests: every accepted connection is handed, as a blocking
// socket, to the handler on a thread of its own. The server stops accepting and joins its
// threads when destroyed; handlers should return once their peer closes.
class LoopbackServer {
 public:
  using Handler = std::function<void(int socket)>;

  // On `port`, or on a free one when it is 0. When the port cannot be had, nothing listens and
  // Port() is 0.
  explicit LoopbackServer(Handler handler, uint16_t port = 0);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  [[nodiscard]] uint16_t Port() const { return port_; }
  [[nodiscard]] std::string PortText() const { return std::to_string(port_); }
  [[nodiscard]] int Accepted() const { return accepted_.load(); }

  // Blocking helpers for handlers.
  static bool SendAll(int socket, std::string_view bytes);
  // Reads exactly `count` bytes (empty on end of stream or error).
  static std::string ReceiveExactly(int socket, size_t count);
  // Reads whatever arrives next (empty on end of stream or error).
  static std::string ReceiveSome(int socket);
  // Echoes everything back until the peer closes.
  static void Echo(int socket);
  // True when something accepts connections on 127.0.0.1:port.
  static bool CanConnect(uint16_t port);

 private:
  void AcceptLoop();

  Handler handler_;
  platform::UniqueFd listening_;
  platform::UniqueFd stop_;
  uint16_t port_ = 0;
  std::atomic<int> accepted_{0};
  std::mutex mutex_;
  std::vector<std::thread> connections_;
  std::vector<int> openSockets_;
  std::thread acceptor_;
};

}  // namespace quelt::test
