#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>

#include <cerrno>

namespace quelt::test {

LoopbackServer::LoopbackServer(Handler handler, uint16_t port)
    : handler_(std::move(handler)),
      listening_(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)),
      stop_(eventfd(0, EFD_CLOEXEC)) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  socklen_t length = sizeof address;
  // A fixed port is taken again at once after a restart, past the old connections' TIME_WAIT.
  const int reuse = 1;
  if (port != 0 && listening_.Valid()) setsockopt(listening_.Get(), SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  if (!listening_.Valid() || bind(listening_.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listening_.Get(), 16) != 0 ||
      getsockname(listening_.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return;  // Port() stays 0
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  const uint64_t one = 1;
  (void)write(stop_.Get(), &one, sizeof one);
  if (acceptor_.joinable()) acceptor_.join();
  {
    // Unblock handlers still waiting on their peers.
    std::lock_guard lock(mutex_);
    for (int socket : openSockets_) shutdown(socket, SHUT_RDWR);
  }
  for (auto& connection : connections_) connection.join();
}

void LoopbackServer::AcceptLoop() {
  while (true) {
    pollfd fds[2] = {{listening_.Get(), POLLIN, 0}, {stop_.Get(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0 && errno != EINTR) return;
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    const int accepted = accept4(listening_.Get(), nullptr, nullptr, SOCK_CLOEXEC);
    if (accepted < 0) continue;
    const int noDelay = 1;
    setsockopt(accepted, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    ++accepted_;
    std::lock_guard lock(mutex_);
    openSockets_.push_back(accepted);
    connections_.emplace_back([this, accepted] {
      handler_(accepted);
      std::lock_guard inner(mutex_);
      std::erase(openSockets_, accepted);
      close(accepted);
    });
  }
}

bool LoopbackServer::SendAll(int socket, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(sent));
  }
  return true;
}

std::string LoopbackServer::ReceiveExactly(int socket, size_t count) {
  std::string bytes(count, '\0');
  size_t got = 0;
  while (got < count) {
    const ssize_t received = recv(socket, bytes.data() + got, count - got, 0);
    if (received < 0 && errno == EINTR) continue;
    if (received <= 0) return {};
    got += static_cast<size_t>(received);
  }
  return bytes;
}

std::string LoopbackServer::ReceiveSome(int socket) {
  char buffer[65536];
  while (true) {
    const ssize_t received = recv(socket, buffer, sizeof buffer, 0);
    if (received < 0 && errno == EINTR) continue;
    return received > 0 ? std::string(buffer, static_cast<size_t>(received)) : std::string();
  }
}

void LoopbackServer::Echo(int socket) {
  while (true) {
    const std::string bytes = ReceiveSome(socket);
    if (bytes.empty() || !SendAll(socket, bytes)) return;
  }
}

}  // namespace quelt::test

namespace quelt::test {

bool LoopbackServer::CanConnect(uint16_t port) {
  platform::UniqueFd probe(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port);
  return probe.Valid() && connect(probe.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace quelt::test
