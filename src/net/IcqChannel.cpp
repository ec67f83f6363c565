#include "net/IcqChannel.h"

#include <random>

#include "platform/Clock.h"
#include "platform/SecureWipe.h"

namespace quelt::net {

namespace {

constexpr uint16_t kSequenceMask = 0x7FFF;

}  // namespace

std::shared_ptr<IcqChannel> IcqChannel::Create(std::weak_ptr<ChannelOwner> owner, int kind, std::string host,
                                               std::string port, ProxySettings proxy, NetTimings timings) {
  return std::shared_ptr<IcqChannel>(
      new IcqChannel(std::move(owner), kind, std::move(host), std::move(port), std::move(proxy), timings));
}

IcqChannel::IcqChannel(std::weak_ptr<ChannelOwner> owner, int kind, std::string host, std::string port,
                       ProxySettings proxy, NetTimings timings)
    : SocketChannel(std::move(owner), kind, std::move(host), std::move(port), timings), proxy_(std::move(proxy)) {}

void IcqChannel::SetInitialSequence(uint16_t sequence) {
  sequence_.store(sequence & kSequenceMask);
  sequenceGiven_.store(true);
}

Connection IcqChannel::Connect(int cancelFd) {
  // The first packet's minimum gap counts from here.
  lastSendTicks_ = platform::Ticks();
  return ConnectVia(Host(), Port(), proxy_, Timings().connect, cancelFd);
}

void IcqChannel::OnConnectedSocket(ChannelOwner& owner) {
  if (!sequenceGiven_.load()) {
    std::random_device source;
    sequence_.store(static_cast<uint16_t>(source() & kSequenceMask));
  }
  owner.OnConnected(*this);
}

void IcqChannel::ReportConnectFailed(ChannelOwner& owner) { owner.OnConnectFailed(*this); }

void IcqChannel::ReportEnded(ChannelOwner& owner, bool /*connected*/, bool byRequest) {
  owner.OnDisconnected(*this, byRequest);
}

std::optional<size_t> IcqChannel::ParseUnit(ChannelOwner& owner, std::span<const uint8_t> buffer, size_t offset) {
  return owner.Parse(*this, buffer, offset);
}

bool IcqChannel::WriteBatch(ChannelOwner& owner, int socket, std::vector<PacketPtr>& batch) {
  std::vector<uint8_t> bytes;
  for (const PacketPtr& packet : batch) {
    const uint32_t gap = packet->MinimumGapMs();
    const uint32_t sinceLast = platform::Ticks() - lastSendTicks_;
    if (gap > sinceLast && !WaitOrStop(gap - sinceLast)) return false;
    const uint16_t sequence = sequence_.load();
    sequence_.store(static_cast<uint16_t>((sequence + 1) & kSequenceMask));
    bytes.clear();
    packet->Serialize(sequence, bytes);
    const bool written = WriteAll(socket, bytes);
    // The sign-on frame carries the roasted password: no copy of it stays in this buffer.
    platform::Wipe(bytes);
    if (!written) return false;
    lastSendTicks_ = platform::Ticks();
    owner.OnTraffic(static_cast<uint32_t>(bytes.size()));
    owner.OnPacketSent(*this, packet);
  }
  return true;
}

}  // namespace quelt::net
