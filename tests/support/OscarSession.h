#pragma once

#include <sys/socket.h>

#include <atomic>
#include <mutex>
#include <optional>
#include <string>

#include "support/LoopbackServer.h"
#include "support/OscarBytes.h"
#include "support/OscarServer.h"

namespace quelt::test {

// One client connection of the fixture server, shared by its sign-on and messaging halves.
struct OscarServer::Session : std::enable_shared_from_this<Session> {
  int socket = -1;
  int number = 0;
  Role role = Role::Login;
  std::atomic<bool> silent{false};
  int received = 0;
  std::optional<uint16_t> lastSequence;
  std::string uin;                 // BOS: set by its own thread under the server's mutex,
  std::optional<uint16_t> status;  // as is this
  std::mutex writing;              // guards the socket's writes and the two fields below
  bool open = true;
  uint16_t sequence = 0x7FFD;

  // Sends a frame on `channel`, or the bytes as they are without one; then perhaps hangs up at
  // once, before the client can answer.
  bool Send(std::optional<uint8_t> channel, std::string_view bytes, bool thenHangUp = false) {
    std::lock_guard lock(writing);
    const std::string frame = channel ? oscar::Flap(*channel, sequence, bytes) : std::string(bytes);
    if (channel) sequence = (sequence + 1) & 0x7FFF;
    return open && LoopbackServer::SendAll(socket, frame) && (!thenHangUp || shutdown(socket, SHUT_RDWR) == 0);
  }
  void Reply(uint8_t channel, std::string_view payload) {
    if (!silent) Send(channel, payload);
  }
  bool Drop() {
    std::lock_guard lock(writing);
    return open && shutdown(socket, SHUT_RDWR) == 0;
  }
};

}  // namespace quelt::test
