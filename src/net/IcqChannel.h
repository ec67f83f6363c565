#pragma once

#include <atomic>
#include <memory>

#include "net/SocketChannel.h"

namespace quelt::net {

// An ICQ connection: opened through the configured proxy, parsed by its owner, FLAP sequence
// numbers from a random start that wrap from 0x7FFF to 0, packets paced by their minimum gap,
// each written on its own and reported as sent.
class IcqChannel final : public SocketChannel {
 public:
  // kind 0: the login connection, 1: the main connection (passed back to the owner).
  [[nodiscard]] static std::shared_ptr<IcqChannel> Create(std::weak_ptr<ChannelOwner> owner, int kind, std::string host,
                                                          std::string port, ProxySettings proxy,
                                                          NetTimings timings = {});

  // The sequence number the next packet will carry (for tests).
  [[nodiscard]] uint16_t NextSequence() const { return sequence_.load(); }
  // Sets it before Start; otherwise a random value is chosen on connect.
  void SetInitialSequence(uint16_t sequence);

 private:
  IcqChannel(std::weak_ptr<ChannelOwner> owner, int kind, std::string host, std::string port, ProxySettings proxy,
             NetTimings timings);

  Connection Connect(int cancelFd) override;
  void OnConnectedSocket(ChannelOwner& owner) override;
  void ReportConnectFailed(ChannelOwner& owner) override;
  void ReportEnded(ChannelOwner& owner, bool connected, bool byRequest) override;
  std::optional<size_t> ParseUnit(ChannelOwner& owner, std::span<const uint8_t> buffer, size_t offset) override;
  bool WriteBatch(ChannelOwner& owner, int socket, std::vector<PacketPtr>& batch) override;

  const ProxySettings proxy_;
  std::atomic<uint16_t> sequence_{0};
  std::atomic<bool> sequenceGiven_{false};
  uint32_t lastSendTicks_ = 0;  // I/O thread only
};

}  // namespace quelt::net
