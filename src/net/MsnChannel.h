#pragma once

#include <atomic>
#include <memory>

#include "net/SocketChannel.h"

namespace quelt::net {

// An MSN connection: direct, parsed by the command layer that derives from it, every failure or
// end reported as OnClosed, all queued packets written together, and the time of the last
// activity kept for the idle-switchboard rule.
class MsnChannel : public SocketChannel {
 public:
  // Tick count of the channel's making, or of the last connect step, receive or send since.
  [[nodiscard]] uint32_t LastActivity() const { return lastActivity_.load(); }

 protected:
  MsnChannel(std::weak_ptr<ChannelOwner> owner, int kind, std::string host, std::string port, NetTimings timings = {});

  // The command layer's framing: handle the unit at `offset` in `buffer` (followed in memory by
  // a zero byte) and return the offset after it, the same offset when it is incomplete, or
  // nothing when the bytes break the protocol.
  [[nodiscard]] virtual std::optional<size_t> Parse(std::span<const uint8_t> buffer, size_t offset) = 0;

 private:
  Connection Connect(int cancelFd) override;
  void OnConnectedSocket(ChannelOwner& owner) override;
  void ReportConnectFailed(ChannelOwner& owner) override;
  void ReportEnded(ChannelOwner& owner, bool connected, bool byRequest) override;
  std::optional<size_t> ParseUnit(ChannelOwner& owner, std::span<const uint8_t> buffer, size_t offset) override;
  bool WriteBatch(ChannelOwner& owner, int socket, std::vector<PacketPtr>& batch) override;
  void OnReceived() override;

  std::atomic<uint32_t> lastActivity_;
};

}  // namespace quelt::net
