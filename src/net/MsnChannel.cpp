#include "net/MsnChannel.h"

#include "platform/Clock.h"

namespace quelt::net {

MsnChannel::MsnChannel(std::weak_ptr<ChannelOwner> owner, int kind, std::string host, std::string port,
                       NetTimings timings)
    : SocketChannel(std::move(owner), kind, std::move(host), std::move(port), timings),
      lastActivity_(platform::Ticks()) {}

Connection MsnChannel::Connect(int cancelFd) {
  lastActivity_.store(platform::Ticks());
  return ConnectVia(Host(), Port(), ProxySettings{}, Timings().connect, cancelFd);
}

void MsnChannel::OnConnectedSocket(ChannelOwner& owner) {
  lastActivity_.store(platform::Ticks());
  owner.OnConnected(*this);
}

void MsnChannel::ReportConnectFailed(ChannelOwner& owner) { owner.OnClosed(*this); }

void MsnChannel::ReportEnded(ChannelOwner& owner, bool connected, bool /*byRequest*/) {
  // A stop that came while connecting ends the connection quietly.
  if (connected) owner.OnClosed(*this);
}

std::optional<size_t> MsnChannel::ParseUnit(ChannelOwner& /*owner*/, std::span<const uint8_t> buffer, size_t offset) {
  return Parse(buffer, offset);
}

bool MsnChannel::WriteBatch(ChannelOwner& owner, int socket, std::vector<PacketPtr>& batch) {
  std::vector<uint8_t> bytes;
  for (const PacketPtr& packet : batch) packet->Serialize(0, bytes);
  lastActivity_.store(platform::Ticks());
  if (!WriteAll(socket, bytes)) return false;
  owner.OnTraffic(static_cast<uint32_t>(bytes.size()));
  return true;
}

void MsnChannel::OnReceived() { lastActivity_.store(platform::Ticks()); }

}  // namespace quelt::net
