#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "msn/MsnCommand.h"
#include "msn/MsnParser.h"
#include "net/MsnChannel.h"

namespace quelt::msn {

class MsnConnection;
// Every complete incoming command, on the connection's I/O thread.
using MsnCommandSink = std::function<void(const std::shared_ptr<MsnConnection>&, MsnCommandPtr)>;

// One connection to a notification server or a switchboard: frames incoming bytes into commands
// and numbers the outgoing ones.
class MsnConnection final : public net::MsnChannel {
 public:
  // `address` is host:port (port 1863 when it has none). Ids count per kind from 1.
  [[nodiscard]] static std::shared_ptr<MsnConnection> Create(std::weak_ptr<net::ChannelOwner> owner,
                                                             MsnConnectionKind kind, const std::string& address,
                                                             uint32_t codePage, MsnCommandSink sink,
                                                             net::NetTimings timings = {});

  [[nodiscard]] int Id() const { return id_; }
  [[nodiscard]] bool IsSwitchboard() const { return connectionKind_ == MsnConnectionKind::Switchboard; }
  // The id for the next command built for this connection: 1, 2, 3, ...
  [[nodiscard]] int NextTransactionId() { return nextTransactionId_.fetch_add(1); }

 private:
  MsnConnection(std::weak_ptr<net::ChannelOwner> owner, MsnConnectionKind kind, std::string host, std::string port,
                uint32_t codePage, MsnCommandSink sink, net::NetTimings timings);
  std::optional<size_t> Parse(std::span<const uint8_t> buffer, size_t offset) override;

  const MsnConnectionKind connectionKind_;
  const int id_;
  const uint32_t codePage_;
  const MsnCommandSink sink_;
  std::atomic<int> nextTransactionId_{1};
};

// Splits "host:port" at the first colon; the port is "1863" when there is none.
[[nodiscard]] std::pair<std::string, std::string> SplitMsnAddress(const std::string& address);

}  // namespace quelt::msn
