#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::platform {

// What travels between processes in place of window messages: either a request to come to the
// front, or a {tag, bytes} record like WM_COPYDATA. Every message gets a 32-bit reply.
enum class PortMessageKind : uint32_t { Activate = 1, CopyData = 2 };

struct PortMessage {
  PortMessageKind kind = PortMessageKind::CopyData;
  uint32_t tag = 0;
  std::vector<uint8_t> bytes;
};

inline constexpr uint32_t kMaxPortPayload = 64 * 1024;

// Wire form, shared by both ends and by the fuzz target: a 12-byte little-endian header
// {kind, tag, length} followed by `length` bytes. ParsePortMessage returns nothing when the
// header is short, the kind unknown, the length above kMaxPortPayload or the bytes incomplete.
[[nodiscard]] std::vector<uint8_t> SerializePortMessage(const PortMessage& message);
[[nodiscard]] std::optional<PortMessage> ParsePortMessage(std::span<const uint8_t> wire);

// The socket path of a window class's port: RuntimeFolder()/"quelt-<class>.port".
[[nodiscard]] std::filesystem::path PortPath(std::string_view windowClass);

// Client side. Both connect to the port of `windowClass`; an absent or dead port gives
// false / nothing. Sends are synchronous like SendMessage but bounded by timeoutMs.
[[nodiscard]] bool PortExists(std::string_view windowClass);
[[nodiscard]] std::optional<uint32_t> SendToPort(std::string_view windowClass, const PortMessage& message,
                                                 uint32_t timeoutMs = 5000);

// Server side: a named endpoint answered by a handler on a thread of the listener's own.
// Only one listener per window class can exist at a time; a socket file left behind by a
// crashed process is taken over.
class PortListener {
 public:
  using Handler = std::function<uint32_t(const PortMessage&)>;

  // Nothing when another live process already listens on that class (or the socket fails).
  [[nodiscard]] static std::unique_ptr<PortListener> Listen(std::string_view windowClass, Handler handler);

  // Stops the thread, closes the socket and removes its file.
  ~PortListener();
  PortListener(const PortListener&) = delete;
  PortListener& operator=(const PortListener&) = delete;

 private:
  struct State;
  explicit PortListener(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace quelt::platform
