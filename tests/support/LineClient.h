#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"
#include "support/LoopbackServer.h"

namespace quelt::test {

// A raw client of a line protocol on 127.0.0.1, for testing the scripted servers themselves.
class LineClient {
 public:
  explicit LineClient(uint16_t port) : socket_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    connected_ = connect(socket_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  [[nodiscard]] bool Connected() const { return connected_; }
  bool Send(std::string_view bytes) { return LoopbackServer::SendAll(socket_.Get(), bytes); }
  // The next line without its CR LF, or the next `count` bytes; none when the server closes or
  // stays quiet for 10 s.
  std::optional<std::string> Line() {
    return Take([this] { return buffer_.find("\r\n"); }, 2);
  }
  std::optional<std::string> Bytes(size_t count) {
    return Take([&] { return buffer_.size() >= count ? count : std::string::npos; }, 0);
  }
  // Sends the line and reads the answer.
  std::optional<std::string> Ask(const std::string& line) { return Send(line + "\r\n") ? Line() : std::nullopt; }

 private:
  template <typename End>
  std::optional<std::string> Take(End end, size_t skip) {
    while (end() == std::string::npos) {
      pollfd fd{socket_.Get(), POLLIN, 0};
      const std::string bytes = poll(&fd, 1, 10000) == 1 ? LoopbackServer::ReceiveSome(socket_.Get()) : "";
      if (bytes.empty()) return std::nullopt;
      buffer_ += bytes;
    }
    const size_t size = end();
    std::string taken = buffer_.substr(0, size);
    buffer_.erase(0, size + skip);
    return taken;
  }

  platform::UniqueFd socket_;
  bool connected_ = false;
  std::string buffer_;
};

}  // namespace quelt::test
