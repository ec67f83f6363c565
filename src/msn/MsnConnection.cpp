#include "msn/MsnConnection.h"

namespace quelt::msn {
namespace {

constexpr int kNotificationKind = 1;
constexpr int kSwitchboardKind = 2;

int NextConnectionId(MsnConnectionKind kind) {
  static std::atomic<int> notification{1};
  static std::atomic<int> switchboard{1};
  return (kind == MsnConnectionKind::Notification ? notification : switchboard).fetch_add(1);
}

}  // namespace

std::pair<std::string, std::string> SplitMsnAddress(const std::string& address) {
  const size_t colon = address.find(':');
  if (colon == std::string::npos) return {address, "1863"};
  return {address.substr(0, colon), address.substr(colon + 1)};
}

std::shared_ptr<MsnConnection> MsnConnection::Create(std::weak_ptr<net::ChannelOwner> owner, MsnConnectionKind kind,
                                                     const std::string& address, uint32_t codePage, MsnCommandSink sink,
                                                     net::NetTimings timings) {
  auto [host, port] = SplitMsnAddress(address);
  return std::shared_ptr<MsnConnection>(
      new MsnConnection(std::move(owner), kind, std::move(host), std::move(port), codePage, std::move(sink), timings));
}

MsnConnection::MsnConnection(std::weak_ptr<net::ChannelOwner> owner, MsnConnectionKind kind, std::string host,
                             std::string port, uint32_t codePage, MsnCommandSink sink, net::NetTimings timings)
    : MsnChannel(std::move(owner), kind == MsnConnectionKind::Notification ? kNotificationKind : kSwitchboardKind,
                 std::move(host), std::move(port), timings),
      connectionKind_(kind),
      id_(NextConnectionId(kind)),
      codePage_(codePage),
      sink_(std::move(sink)) {}

std::optional<size_t> MsnConnection::Parse(std::span<const uint8_t> buffer, size_t offset) {
  auto parsed = ParseMsnCommand(connectionKind_, buffer, offset, codePage_);
  if (!parsed) return offset;
  if (sink_) sink_(std::static_pointer_cast<MsnConnection>(shared_from_this()), std::move(parsed->command));
  return parsed->next;
}

}  // namespace quelt::msn
