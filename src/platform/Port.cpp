#include "platform/OutOfMemory.h"
#include "platform/Port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/Folders.h"
#include "platform/Log.h"
#include "platform/UniqueFd.h"

namespace quelt::platform {
namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kHeaderSize = 12;
constexpr size_t kReplySize = 4;
// A client gets this long to deliver its message and take the reply, so that one that
// connects and says nothing (as PortExists does) cannot hold up the next.
constexpr auto kConnectionDeadline = std::chrono::milliseconds(2000);
constexpr auto kProbeTimeout = std::chrono::milliseconds(1000);
constexpr int kBacklog = 16;

uint32_t ReadLe32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void AppendLe32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

std::optional<sockaddr_un> SocketAddress(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string& text = path.native();
  if (text.empty() || text.size() >= sizeof address.sun_path) return std::nullopt;
  std::memcpy(address.sun_path, text.data(), text.size());
  return address;
}

// Ports live only in a folder of our own, so no other user can stand in for a listener.
bool IsOwnFolder(const std::filesystem::path& folder) {
  struct stat status {};
  return lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == geteuid();
}

int MillisecondsUntil(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return static_cast<int>(std::clamp<int64_t>(left, 0, 24 * 60 * 60 * 1000));
}

// Waits until fd is ready for `events`; false at the deadline, on an error, or when `stop`
// (if given) becomes readable.
bool WaitFor(int fd, short events, Clock::time_point deadline, int stop = -1) {
  while (true) {
    pollfd fds[2] = {{fd, events, 0}, {stop, POLLIN, 0}};
    const int ready = poll(fds, stop >= 0 ? 2 : 1, MillisecondsUntil(deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (ready == 0 || (stop >= 0 && fds[1].revents != 0)) return false;
    return (fds[0].revents & (events | POLLHUP | POLLERR)) != 0;
  }
}

bool ReadExactly(int fd, uint8_t* data, size_t size, Clock::time_point deadline, int stop = -1) {
  while (size > 0) {
    if (!WaitFor(fd, POLLIN, deadline, stop)) return false;
    const ssize_t got = recv(fd, data, size, 0);
    if (got < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    if (got == 0) return false;
    data += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteExactly(int fd, const uint8_t* data, size_t size, Clock::time_point deadline, int stop = -1) {
  while (size > 0) {
    if (!WaitFor(fd, POLLOUT, deadline, stop)) return false;
    const ssize_t sent = send(fd, data, size, MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return false;
    }
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

// A non-blocking socket connected to the port, or nothing (the connect is bounded by the
// deadline, through the send time-out that Unix sockets apply to a blocking connect).
UniqueFd ConnectToPort(std::string_view windowClass, Clock::time_point deadline, int* connectError = nullptr) {
  const auto path = PortPath(windowClass);
  const auto address = SocketAddress(path);
  if (!address || !IsOwnFolder(path.parent_path())) return {};
  UniqueFd socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!socket.Valid()) return {};
  const int waitMs = std::max(1, MillisecondsUntil(deadline));
  const timeval limit{waitMs / 1000, (waitMs % 1000) * 1000};
  setsockopt(socket.Get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  if (connect(socket.Get(), reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
    if (connectError != nullptr) *connectError = errno;
    return {};
  }
  const int flags = fcntl(socket.Get(), F_GETFL);
  if (flags < 0 || fcntl(socket.Get(), F_SETFL, flags | O_NONBLOCK) != 0) return {};
  return socket;
}

}  // namespace

std::vector<uint8_t> SerializePortMessage(const PortMessage& message) {
  std::vector<uint8_t> wire;
  wire.reserve(kHeaderSize + message.bytes.size());
  AppendLe32(wire, static_cast<uint32_t>(message.kind));
  AppendLe32(wire, message.tag);
  AppendLe32(wire, static_cast<uint32_t>(message.bytes.size()));
  wire.insert(wire.end(), message.bytes.begin(), message.bytes.end());
  return wire;
}

std::optional<PortMessage> ParsePortMessage(std::span<const uint8_t> wire) {
  if (wire.size() < kHeaderSize) return std::nullopt;
  const uint32_t kind = ReadLe32(wire.data());
  if (kind != static_cast<uint32_t>(PortMessageKind::Activate) &&
      kind != static_cast<uint32_t>(PortMessageKind::CopyData)) {
    return std::nullopt;
  }
  const uint32_t length = ReadLe32(wire.data() + 8);
  // One message per connection: bytes beyond the stated length are as wrong as missing ones.
  if (length > kMaxPortPayload || wire.size() - kHeaderSize != length) return std::nullopt;
  PortMessage message;
  message.kind = static_cast<PortMessageKind>(kind);
  message.tag = ReadLe32(wire.data() + 4);
  message.bytes.assign(wire.begin() + kHeaderSize, wire.end());
  return message;
}

std::filesystem::path PortPath(std::string_view windowClass) {
  std::string name = "quelt-";
  for (const char c : windowClass) name.push_back(c == '/' || c == '\0' ? '_' : c);
  name += ".port";
  return RuntimeFolder() / name;
}

bool PortExists(std::string_view windowClass) {
  return ConnectToPort(windowClass, Clock::now() + kProbeTimeout).Valid();
}

std::optional<uint32_t> SendToPort(std::string_view windowClass, const PortMessage& message, uint32_t timeoutMs) {
  if (message.bytes.size() > kMaxPortPayload) return std::nullopt;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  const UniqueFd socket = ConnectToPort(windowClass, deadline);
  if (!socket.Valid()) return std::nullopt;
  const auto wire = SerializePortMessage(message);
  if (!WriteExactly(socket.Get(), wire.data(), wire.size(), deadline)) return std::nullopt;
  uint8_t reply[kReplySize];
  if (!ReadExactly(socket.Get(), reply, sizeof reply, deadline)) return std::nullopt;
  return ReadLe32(reply);
}

struct PortListener::State {
  std::string windowClass;
  std::filesystem::path path;
  Handler handler;
  UniqueFd lock;
  UniqueFd listening;
  UniqueFd stop;
  dev_t device = 0;
  ino_t inode = 0;
  std::thread thread;

  void Run();
  void Serve(int connection);
};

void PortListener::State::Serve(int connection) {
  const auto deadline = Clock::now() + kConnectionDeadline;
  std::vector<uint8_t> wire(kHeaderSize);
  if (!ReadExactly(connection, wire.data(), kHeaderSize, deadline, stop.Get())) return;
  const uint32_t length = ReadLe32(wire.data() + 8);
  if (length > kMaxPortPayload) return;
  wire.resize(kHeaderSize + length);
  if (!ReadExactly(connection, wire.data() + kHeaderSize, length, deadline, stop.Get())) return;
  const auto message = ParsePortMessage(wire);
  if (!message) return;
  uint8_t reply[kReplySize];
  const uint32_t answer = handler(*message);
  for (size_t i = 0; i < kReplySize; ++i) reply[i] = static_cast<uint8_t>(answer >> (8 * i));
  WriteExactly(connection, reply, sizeof reply, deadline, stop.Get());
}

void PortListener::State::Run() {
  while (true) {
    pollfd fds[2] = {{listening.Get(), POLLIN, 0}, {stop.Get(), POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      Log("port %s: poll failed (%s)", windowClass.c_str(), std::strerror(errno));
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents == 0) continue;
    const UniqueFd connection(accept4(listening.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!connection.Valid()) continue;
    GuardOutOfMemory([&] { Serve(connection.Get()); });
  }
}

PortListener::PortListener(std::unique_ptr<State> state) : state_(std::move(state)) {}

std::unique_ptr<PortListener> PortListener::Listen(std::string_view windowClass, Handler handler) {
  auto state = std::make_unique<State>();
  state->windowClass = std::string(windowClass);
  state->path = PortPath(windowClass);
  state->handler = std::move(handler);
  const auto address = SocketAddress(state->path);
  if (!address || !state->handler || !IsOwnFolder(state->path.parent_path())) return nullptr;

  // The lock beside the socket decides which process owns the class, so two copies started at
  // once cannot both take over a stale socket file. It is held for the listener's lifetime.
  const auto lockPath = state->path.string() + ".lock";
  state->lock = UniqueFd(open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!state->lock.Valid() || flock(state->lock.Get(), LOCK_EX | LOCK_NB) != 0) return nullptr;

  state->listening = UniqueFd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!state->listening.Valid()) return nullptr;
  const auto* socketAddress = reinterpret_cast<const sockaddr*>(&*address);
  if (bind(state->listening.Get(), socketAddress, sizeof *address) != 0) {
    if (errno != EADDRINUSE) return nullptr;
    // A file is in the way. If something answers there, the class is taken; a refused
    // connection means a crashed owner left the file behind.
    int connectError = 0;
    if (ConnectToPort(windowClass, Clock::now() + kProbeTimeout, &connectError).Valid()) return nullptr;
    if (connectError != ECONNREFUSED) return nullptr;
    if (unlink(state->path.c_str()) != 0) return nullptr;
    if (bind(state->listening.Get(), socketAddress, sizeof *address) != 0) return nullptr;
  }
  struct stat status {};
  if (chmod(state->path.c_str(), 0600) != 0 || stat(state->path.c_str(), &status) != 0 ||
      listen(state->listening.Get(), kBacklog) != 0) {
    unlink(state->path.c_str());
    return nullptr;
  }
  state->device = status.st_dev;
  state->inode = status.st_ino;
  state->stop = UniqueFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!state->stop.Valid()) {
    unlink(state->path.c_str());
    return nullptr;
  }
  State* running = state.get();
  try {
    state->thread = std::thread([running] { GuardOutOfMemory([running] { running->Run(); }); });
  } catch (const std::system_error&) {
    unlink(state->path.c_str());
    return nullptr;
  }
  return std::unique_ptr<PortListener>(new PortListener(std::move(state)));
}

PortListener::~PortListener() {
  const uint64_t one = 1;
  while (write(state_->stop.Get(), &one, sizeof one) < 0 && errno == EINTR) {
  }
  state_->thread.join();
  state_->listening.Reset();
  // Remove the file only if it is still ours; a later owner may have replaced it.
  struct stat status {};
  if (stat(state_->path.c_str(), &status) == 0 && status.st_dev == state_->device && status.st_ino == state_->inode) {
    unlink(state_->path.c_str());
  }
}

}  // namespace quelt::platform
