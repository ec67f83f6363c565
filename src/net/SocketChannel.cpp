#include "net/SocketChannel.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>

#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/OwnThread.h"

namespace quelt::net {

namespace {

constexpr size_t kReceiveChunk = 0x2000;

}  // namespace

SocketChannel::SocketChannel(std::weak_ptr<ChannelOwner> owner, int kind, std::string host, std::string port,
                             NetTimings timings)
    : owner_(std::move(owner)),
      kind_(kind),
      host_(std::move(host)),
      port_(std::move(port)),
      timings_(timings),
      accumulated_(1, 0) {}

SocketChannel::~SocketChannel() {
  // The I/O thread holds a reference while it runs, so a destructor on any other thread only
  // waits for it to return; on the I/O thread itself the last reference went with it.
  platform::JoinOrRelease(thread_);
}

void SocketChannel::Start() {
  std::shared_ptr<SocketChannel> self = weak_from_this().lock();
  if (!self) return;
  std::lock_guard lock(mutex_);
  if (started_) return;
  started_ = true;
  // Stopped before it started: it never runs, so nobody is left to stop it later.
  if (stopRequested_.load()) return;
  running_.store(true);
  ended_.Reset();
  thread_ = std::thread([self = std::move(self)]() mutable {
    {
      // The owner is held for the whole run, so no callback finds it gone half-way, and let go
      // before the end is signalled, so whoever waits for the end knows this thread holds nothing
      // of the owner's any more.
      const std::shared_ptr<ChannelOwner> owner = self->owner_.lock();
      if (owner) self->Run(*owner);
    }
    self->Finish();
    self.reset();
  });
}

void SocketChannel::Stop() {
  std::lock_guard lock(mutex_);
  if (stopRequested_.load()) return;
  running_.store(false);
  stopRequested_.store(true);
  stopWake_.Signal();
}

void SocketChannel::StopAfterSending(PacketPtr last) {
  std::lock_guard lock(mutex_);
  if (!running_.load() || !last) return;
  running_.store(false);
  queue_.push_back(std::move(last));
  farewellQueued_.store(true);
  sendWake_.Signal();
}

bool SocketChannel::IsRunning() const { return running_.load(); }

bool SocketChannel::HasEnded() {
  std::lock_guard lock(mutex_);
  return started_ && !running_.load();
}

bool SocketChannel::Send(PacketPtr packet) {
  if (!packet) return false;
  std::lock_guard lock(mutex_);
  if (!running_.load()) return false;
  queue_.push_back(std::move(packet));
  sendWake_.Signal();
  return true;
}

bool SocketChannel::WaitUntilEnded(uint32_t timeoutMs) { return ended_.Wait(timeoutMs); }

void SocketChannel::Run(ChannelOwner& owner) {
  if (!sendWake_.Valid() || !stopWake_.Valid()) {
    ReportConnectFailed(owner);
    return;
  }
  Connection connection = Connect(stopWake_.Fd());
  const bool connected = connection.result == ConnectResult::Connected && connection.socket.Valid();
  if (StopRequested()) {
    // A stop during connecting is reported as a stop, whether or not it cut the connect short.
    ReportEnded(owner, false, true);
  } else if (!connected) {
    platform::Log("channel %s:%s: connect failed (%d)", host_.c_str(), port_.c_str(),
                  static_cast<int>(connection.result));
    ReportConnectFailed(owner);
  } else {
    OnConnectedSocket(owner);
    bool byRequest = false;
    Loop(owner, connection.socket.Get(), byRequest);
    ReportEnded(owner, true, byRequest);
  }
  if (connection.socket.Valid()) shutdown(connection.socket.Get(), SHUT_RDWR);
}

void SocketChannel::Finish() {
  std::vector<PacketPtr> dropped;
  {
    std::lock_guard lock(mutex_);
    running_.store(false);
    dropped.swap(queue_);
  }
  accumulated_.assign(1, 0);
  ended_.Set();
}

void SocketChannel::Loop(ChannelOwner& owner, int socket, bool& byRequest) {
  std::array<pollfd, 3> fds{{{socket, POLLIN, 0}, {sendWake_.Fd(), POLLIN, 0}, {stopWake_.Fd(), POLLIN, 0}}};
  while (true) {
    if (StopRequested()) {
      byRequest = true;
      return;
    }
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents != 0 && ReceiveAndParse(owner, socket) == Receipt::Ended) return;
    if (StopRequested()) {
      byRequest = true;
      return;
    }
    if (fds[1].revents != 0) {
      // Clearing before taking the queue means a packet queued in between wakes the next poll.
      sendWake_.Clear();
      std::vector<PacketPtr> batch;
      {
        std::lock_guard lock(mutex_);
        batch.swap(queue_);
      }
      if (!batch.empty() && !WriteBatch(owner, socket, batch)) {
        byRequest = StopRequested();
        // A write fails once the peer has hung up; what it sent before that is still to be read.
        if (!byRequest) {
          while (ReceiveAndParse(owner, socket) == Receipt::Data) {
          }
        }
        return;
      }
      // Nothing is queued after a farewell: once the queue is empty again, it has been written.
      if (farewellQueued_.load()) {
        std::lock_guard lock(mutex_);
        if (queue_.empty()) {
          byRequest = true;
          return;
        }
      }
    }
  }
}

SocketChannel::Receipt SocketChannel::ReceiveAndParse(ChannelOwner& owner, int socket) {
  std::array<uint8_t, kReceiveChunk> chunk{};
  const ssize_t received = recv(socket, chunk.data(), chunk.size(), 0);
  if (received < 0) {
    return errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK ? Receipt::Nothing : Receipt::Ended;
  }
  // Reading on until the end of the stream means that data sent just before a close, however
  // much of it, is parsed before the close is reported.
  if (received == 0) return Receipt::Ended;
  const auto count = static_cast<size_t>(received);
  owner.OnTraffic(static_cast<uint32_t>(count));
  OnReceived();
  accumulated_.pop_back();
  accumulated_.insert(accumulated_.end(), chunk.begin(), chunk.begin() + static_cast<ptrdiff_t>(count));
  accumulated_.push_back(0);
  if (!ParseBuffered(owner)) return Receipt::Ended;
  if (Buffered().size() > timings_.maxBufferedBytes) {
    platform::Log("channel %s:%s: %zu bytes without a complete unit", host_.c_str(), port_.c_str(), Buffered().size());
    return Receipt::Ended;
  }
  return Receipt::Data;
}

bool SocketChannel::ParseBuffered(ChannelOwner& owner) {
  size_t offset = 0;
  const size_t length = Buffered().size();
  while (offset < length) {
    const std::optional<size_t> next = ParseUnit(owner, Buffered(), offset);
    if (!next || *next > length) {
      platform::Log("channel %s:%s: unparsable data", host_.c_str(), port_.c_str());
      return false;
    }
    if (*next <= offset) break;
    offset = *next;
  }
  if (offset > 0) accumulated_.erase(accumulated_.begin(), accumulated_.begin() + static_cast<ptrdiff_t>(offset));
  return true;
}

std::span<const uint8_t> SocketChannel::Buffered() const { return {accumulated_.data(), accumulated_.size() - 1}; }

bool SocketChannel::WriteAll(int socket, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent > 0) {
      bytes = bytes.subspan(static_cast<size_t>(sent));
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    if (sent == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) return false;
    std::array<pollfd, 2> fds{{{socket, POLLOUT, 0}, {stopWake_.Fd(), POLLIN, 0}}};
    if (poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) return false;
    if (fds[1].revents != 0) return false;
  }
  return true;
}

bool SocketChannel::WaitOrStop(uint32_t milliseconds) {
  const uint32_t start = platform::Ticks();
  while (!StopRequested()) {
    const uint32_t elapsed = platform::Ticks() - start;
    if (elapsed >= milliseconds) return true;
    pollfd stop{stopWake_.Fd(), POLLIN, 0};
    const uint32_t remaining = std::min<uint32_t>(milliseconds - elapsed, INT32_MAX);
    if (poll(&stop, 1, static_cast<int>(remaining)) < 0 && errno != EINTR) return false;
  }
  return false;
}

}  // namespace quelt::net
