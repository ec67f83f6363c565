#include "net/ConnectVia.h"

#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>
#include <memory>
#include <string>

#include "net/ProxyNegotiation.h"

namespace quelt::net {
namespace {

using Clock = std::chrono::steady_clock;

enum class Wait { Ready, Failed, Cancelled };  // Failed covers the time-out

// Waits until `socket` shows `events`, the deadline passes or `cancelFd` becomes readable; a
// cancellation wins over readiness.
Wait WaitFor(int socket, short events, int cancelFd, Clock::time_point deadline) {
  while (true) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    const int timeout = static_cast<int>(std::clamp<decltype(left)>(left, 0, std::numeric_limits<int>::max()));
    pollfd fds[2] = {{socket, events, 0}, {cancelFd, POLLIN, 0}};
    const int ready = poll(fds, cancelFd >= 0 ? 2 : 1, timeout);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return Wait::Failed;
    if (cancelFd >= 0 && fds[1].revents != 0) return Wait::Cancelled;
    if (fds[0].revents != 0) return Wait::Ready;
    if (ready == 0) return Wait::Failed;
  }
}

// The proxy exchange over the connected non-blocking socket, bounded by one deadline overall.
class SocketStream final : public ProxyStream {
 public:
  SocketStream(int socket, int cancelFd, Clock::time_point deadline)
      : socket_(socket), cancelFd_(cancelFd), deadline_(deadline) {}

  bool SendAll(std::span<const uint8_t> bytes) override {
    while (!bytes.empty()) {
      const ssize_t sent = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (sent > 0) {
        bytes = bytes.subspan(static_cast<size_t>(sent));
      } else if (sent < 0 && errno == EINTR) {
        continue;
      } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!Await(POLLOUT)) return false;
      } else {
        return false;
      }
    }
    return true;
  }

  bool ReceiveExactly(std::span<uint8_t> out) override {
    while (!out.empty()) {
      const ssize_t received = recv(socket_, out.data(), out.size(), 0);
      if (received > 0) {
        out = out.subspan(static_cast<size_t>(received));
      } else if (received < 0 && errno == EINTR) {
        continue;
      } else if (received < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        if (!Await(POLLIN)) return false;
      } else {
        return false;
      }
    }
    return true;
  }

  [[nodiscard]] bool Cancelled() const { return cancelled_; }

 private:
  bool Await(short events) {
    const Wait outcome = WaitFor(socket_, events, cancelFd_, deadline_);
    cancelled_ = outcome == Wait::Cancelled;
    return outcome == Wait::Ready;
  }

  const int socket_;
  const int cancelFd_;
  const Clock::time_point deadline_;
  bool cancelled_ = false;
};

using AddressList = std::unique_ptr<addrinfo, decltype(&freeaddrinfo)>;

AddressList Resolve(const std::string& host, const std::string& port) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  addrinfo* found = nullptr;
  // A name with a zero byte in it would be looked up cut short.
  const bool embeddedZero = host.find('\0') != std::string::npos || port.find('\0') != std::string::npos;
  if (embeddedZero || getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) found = nullptr;
  return {found, &freeaddrinfo};
}

// Tries each address in turn, each attempt bounded by the connect time-out.
Connection ConnectToFirstReachable(const addrinfo* addresses, const ConnectTimeouts& timeouts, int cancelFd) {
  if (addresses == nullptr) return {ConnectResult::ResolveFailed, {}};
  for (const addrinfo* address = addresses; address != nullptr; address = address->ai_next) {
    platform::UniqueFd socket(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
    if (!socket.Valid()) return {ConnectResult::ResolveFailed, {}};
    if (connect(socket.Get(), address->ai_addr, address->ai_addrlen) != 0 && errno != EINPROGRESS) continue;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeouts.connectMs);
    const Wait outcome = WaitFor(socket.Get(), POLLOUT, cancelFd, deadline);
    if (outcome == Wait::Cancelled) return {ConnectResult::ConnectFailed, {}};
    int error = 0;
    socklen_t length = sizeof error;
    if (outcome == Wait::Ready && getsockopt(socket.Get(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0) {
      // Both protocols are small requests and answers: waiting to coalesce them (Nagle) only
      // adds the peer's delayed-acknowledgement time to every exchange.
      const int noDelay = 1;
      setsockopt(socket.Get(), IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
      return {ConnectResult::Connected, std::move(socket)};
    }
  }
  return {ConnectResult::ConnectFailed, {}};
}

}  // namespace

Connection ConnectVia(std::string_view host, std::string_view port, const ProxySettings& proxy,
                      const ConnectTimeouts& timeouts, int cancelFd) {
  const bool socks = proxy.type == core::ProxyType::Socks5;
  if (!socks && proxy.type != core::ProxyType::Http) {
    const AddressList addresses = Resolve(std::string(host), std::string(port));
    return ConnectToFirstReachable(addresses.get(), timeouts, cancelFd);
  }

  const AddressList addresses = Resolve(proxy.host, std::to_string(proxy.port));
  Connection connection = ConnectToFirstReachable(addresses.get(), timeouts, cancelFd);
  if (connection.result != ConnectResult::Connected) return connection;

  SocketStream stream(connection.socket.Get(), cancelFd, Clock::now() + std::chrono::milliseconds(timeouts.exchangeMs));
  const bool tunnelled = socks ? NegotiateSocks5(stream, host, port, proxy.user, proxy.password)
                               : NegotiateHttpConnect(stream, host, port);
  if (tunnelled) return connection;
  shutdown(connection.socket.Get(), SHUT_RDWR);
  connection.socket.Reset();
  // A cancelled attempt is abandoned, not refused by the proxy.
  connection.result = stream.Cancelled() ? ConnectResult::ConnectFailed : ConnectResult::ProxyFailed;
  return connection;
}

}  // namespace quelt::net
