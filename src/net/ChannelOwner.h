#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "net/Packet.h"

namespace quelt::net {

class SocketChannel;

// What a connection tells the engine that owns it. Every call comes on the connection's I/O
// thread; owners pass results on as application events and must not block for long.
class ChannelOwner {
 public:
  virtual ~ChannelOwner() = default;

  // The connection (and any proxy tunnel) is up; called before the first wait.
  virtual void OnConnected(SocketChannel& channel) = 0;
  // ICQ: resolving, connecting or proxy negotiation failed.
  virtual void OnConnectFailed(SocketChannel& /*channel*/) {}
  // ICQ: a connection that was up has ended; byRequest when Stop ended it.
  virtual void OnDisconnected(SocketChannel& /*channel*/, bool /*byRequest*/) {}
  // MSN: the connection failed or ended, before or after connecting.
  virtual void OnClosed(SocketChannel& /*channel*/) {}
  // Bytes received or sent, for the traffic counters.
  virtual void OnTraffic(uint32_t bytes) = 0;
  // ICQ: handles the complete unit at `offset` in `buffer`, if there is one, and returns the
  // offset after it (unchanged when the unit is incomplete); nothing when the bytes break the
  // protocol, which ends the connection.
  [[nodiscard]] virtual std::optional<size_t> Parse(SocketChannel& /*channel*/, std::span<const uint8_t> /*buffer*/,
                                                    size_t offset) {
    return offset;
  }
  // ICQ: a packet has been written.
  virtual void OnPacketSent(SocketChannel& /*channel*/, const PacketPtr& /*packet*/) {}
};

}  // namespace quelt::net
