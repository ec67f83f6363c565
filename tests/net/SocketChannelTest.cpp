#include "net/SocketChannel.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <set>

#include "net/IcqChannel.h"
#include "net/MsnChannel.h"
#include "platform/Clock.h"
#include "support/LoopbackServer.h"

namespace quelt::net {
namespace {

using test::LoopbackServer;
using Clock = std::chrono::steady_clock;
constexpr uint32_t kPatienceMs = 10000;

// Lines added from any thread, with the threads that added them; tests wait for them.
class Log {
 public:
  void Add(std::string line) {
    std::lock_guard lock(mutex_);
    lines_.push_back(std::move(line));
    times_.push_back(Clock::now());
    threads_.insert(std::this_thread::get_id());
    changed_.notify_all();
  }
  bool WaitFor(const std::string& line) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(kPatienceMs),
                             [&] { return std::ranges::count(lines_, line) > 0; });
  }
  std::vector<std::string> Lines(std::string_view prefix = "") {
    std::lock_guard lock(mutex_);
    std::vector<std::string> found;
    std::ranges::copy_if(lines_, std::back_inserter(found), [&](const auto& line) { return line.starts_with(prefix); });
    return found;
  }
  Clock::time_point TimeOf(const std::string& line) {
    std::lock_guard lock(mutex_);
    return times_.at(static_cast<size_t>(std::ranges::find(lines_, line) - lines_.begin()));
  }
  // True when every line came from one thread, and not the caller's.
  bool FromOneOtherThread() {
    std::lock_guard lock(mutex_);
    return threads_.size() == 1 && !threads_.contains(std::this_thread::get_id());
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> lines_;
  std::vector<Clock::time_point> times_;
  std::set<std::thread::id> threads_;
};

// A FLAP-shaped frame: marker, channel, sequence and length (big-endian), payload.
std::string Frame(uint16_t sequence, std::string_view payload) {
  const auto byte = [](size_t value) { return static_cast<char>(value & 0xFF); };
  return std::string{'*', 2, byte(sequence >> 8), byte(sequence), byte(payload.size() >> 8), byte(payload.size())} +
         std::string(payload);
}

struct FramePacket final : Packet {
  explicit FramePacket(std::string text, uint32_t gap = 0) : payload(std::move(text)), gapMs(gap) {}
  void Serialize(uint16_t sequence, std::vector<uint8_t>& out) const override {
    std::ranges::copy(Frame(sequence, payload), std::back_inserter(out));
  }
  [[nodiscard]] uint32_t MinimumGapMs() const override { return gapMs; }
  const std::string payload;
  const uint32_t gapMs;
};

PacketPtr Line(std::string_view text) {
  return std::make_shared<BytesPacket>(std::vector<uint8_t>(text.begin(), text.end()));
}

// Peer side: logs "<sequence> <payload>" for every frame until the channel closes.
void ReadFrames(int socket, Log& log) {
  for (std::string header; !(header = LoopbackServer::ReceiveExactly(socket, 6)).empty();) {
    const auto number = [&](size_t at) {
      return static_cast<uint8_t>(header[at]) << 8 | static_cast<uint8_t>(header[at + 1]);
    };
    log.Add(std::to_string(number(2)) + " " + LoopbackServer::ReceiveExactly(socket, static_cast<size_t>(number(4))));
  }
}

void DrainUntilClosed(int socket) {
  while (!LoopbackServer::ReceiveSome(socket).empty()) {
  }
}

// Logs every callback and parses frames; a marker other than '*' breaks the protocol.
class RecordingOwner final : public ChannelOwner {
 public:
  void OnConnected(SocketChannel& /*channel*/) override { log->Add("connected"); }
  void OnConnectFailed(SocketChannel& /*channel*/) override { log->Add("connect failed"); }
  void OnDisconnected(SocketChannel& /*channel*/, bool byRequest) override {
    log->Add(byRequest ? "disconnected by request" : "disconnected");
  }
  void OnClosed(SocketChannel& /*channel*/) override { log->Add("closed"); }
  void OnTraffic(uint32_t bytes) override { log->Add("traffic " + std::to_string(bytes)); }
  void OnPacketSent(SocketChannel& /*channel*/, const PacketPtr& /*packet*/) override { log->Add("sent"); }
  std::optional<size_t> Parse(SocketChannel& /*channel*/, std::span<const uint8_t> buffer, size_t offset) override {
    if (buffer.size() - offset < 6) return offset;
    if (buffer[offset] != '*') return std::nullopt;
    const size_t end = offset + 6 + (static_cast<size_t>(buffer[offset + 4]) << 8 | buffer[offset + 5]);
    if (end > buffer.size()) return offset;
    log->Add("got " + std::string(buffer.begin() + static_cast<ptrdiff_t>(offset + 6),
                                  buffer.begin() + static_cast<ptrdiff_t>(end)));
    return end;
  }

  const std::shared_ptr<Log> log = std::make_shared<Log>();
};

// Parses CRLF lines, relying on the zero byte after the data; "GO" queues three commands at once
// and "BAD" breaks the protocol.
class LineChannel final : public MsnChannel {
 public:
  LineChannel(const std::shared_ptr<RecordingOwner>& owner, std::string port, NetTimings timings = {})
      : MsnChannel(owner, 0, "127.0.0.1", std::move(port), timings), log_(owner->log) {}

 private:
  std::optional<size_t> Parse(std::span<const uint8_t> buffer, size_t offset) override {
    if (buffer.data()[buffer.size()] != 0) log_->Add("unterminated");
    const auto* text = reinterpret_cast<const char*>(buffer.data());
    const char* end = std::strstr(text + offset, "\r\n");
    if (end == nullptr) return offset;
    const std::string line(text + offset, end);
    if (line == "BAD") return std::nullopt;
    log_->Add("got " + line);
    if (line == "GO") {
      for (const char* command : {"A\r\n", "B\r\n", "C\r\n"}) (void)Send(Line(command));
    }
    return static_cast<size_t>(end + 2 - text);
  }

  const std::shared_ptr<Log> log_;
};

enum class Variant { Icq, Msn };

class ChannelVariantTest : public ::testing::TestWithParam<Variant> {
 protected:
  std::shared_ptr<SocketChannel> Open(const std::string& port, NetTimings timings = {}) {
    auto channel = GetParam() == Variant::Msn
                       ? std::shared_ptr<SocketChannel>(std::make_shared<LineChannel>(owner_, port, timings))
                       : IcqChannel::Create(owner_, 1, "127.0.0.1", port, ProxySettings{}, timings);
    channel->Start();
    return channel;
  }
  [[nodiscard]] std::string Unit(std::string_view payload) const {
    return GetParam() == Variant::Icq ? Frame(0, payload) : std::string(payload) + "\r\n";
  }
  // MSN reports every end as "closed".
  [[nodiscard]] std::string Report(const char* icqReport) const {
    return GetParam() == Variant::Icq ? icqReport : "closed";
  }

  std::shared_ptr<RecordingOwner> owner_ = std::make_shared<RecordingOwner>();
};

// 200 units of about 100 bytes arrive in 8192-byte reads, so several are split between reads.
TEST_P(ChannelVariantTest, PeerClosingWithDataPendingHasEveryUnitParsedOnceFirst) {
  std::string units;
  std::vector<std::string> expected;
  for (int i = 0; i < 200; ++i) {
    expected.push_back("got " + std::to_string(i) + std::string(100, 'x'));
    units += Unit(expected.back().substr(4));
  }
  LoopbackServer server([&](int socket) { LoopbackServer::SendAll(socket, units); });
  auto channel = Open(server.PortText());
  ASSERT_TRUE(channel->WaitUntilEnded(kPatienceMs));
  EXPECT_EQ(owner_->log->Lines("got "), expected);
  EXPECT_EQ(owner_->log->Lines().back(), Report("disconnected"));
  EXPECT_TRUE(owner_->log->Lines("unterminated").empty());
  EXPECT_TRUE(owner_->log->FromOneOtherThread());
}

TEST_P(ChannelVariantTest, UnparsableOrOverlongDataEndsTheConnection) {
  const bool icq = GetParam() == Variant::Icq;
  const std::string broken = icq ? std::string("#").append(Frame(0, "x")) : "BAD\r\n";
  const std::string overlong = icq ? Frame(0, std::string(0xFFFF, 'x')).substr(0, 3000) : std::string(3000, 'x');
  for (const std::string& bytes : {broken, overlong}) {
    owner_ = std::make_shared<RecordingOwner>();
    LoopbackServer server([&](int socket) {
      LoopbackServer::SendAll(socket, Unit("fine") + bytes);
      DrainUntilClosed(socket);
    });
    auto channel = Open(server.PortText(), NetTimings{.maxBufferedBytes = 1000});
    ASSERT_TRUE(owner_->log->WaitFor(Report("disconnected"))) << bytes.size();
    EXPECT_EQ(owner_->log->Lines("got "), std::vector<std::string>{"got fine"});
    EXPECT_TRUE(channel->WaitUntilEnded(kPatienceMs));
  }
}

TEST_P(ChannelVariantTest, StopDuringAWaitEndsTheThreadAsRequested) {
  Log peer;
  LoopbackServer server([&](int socket) { ReadFrames(socket, peer); });
  auto channel = Open(server.PortText());
  ASSERT_TRUE(owner_->log->WaitFor("connected"));
  // An ICQ packet that may not go for a minute: Stop has to cut its pacing short.
  EXPECT_TRUE(channel->Send(std::make_shared<FramePacket>("late", GetParam() == Variant::Icq ? 60000 : 0)));
  channel->Stop();
  EXPECT_FALSE(channel->IsRunning());
  EXPECT_FALSE(channel->Send(Line("after\r\n")));
  ASSERT_TRUE(channel->WaitUntilEnded(kPatienceMs));
  EXPECT_EQ(owner_->log->Lines().back(), Report("disconnected by request"));
  if (GetParam() == Variant::Icq) {
    EXPECT_TRUE(peer.Lines().empty());
  }
  EXPECT_TRUE(owner_->log->FromOneOtherThread());
}

TEST_P(ChannelVariantTest, ConnectFailureIsReportedOnceAndSendsAreRefused) {
  auto channel = Open("0");  // nothing listens on port 0
  ASSERT_TRUE(channel->WaitUntilEnded(kPatienceMs));
  EXPECT_FALSE(channel->Send(Line("late\r\n")));
  channel->Start();  // a channel runs once
  EXPECT_TRUE(channel->WaitUntilEnded(kPatienceMs));
  EXPECT_FALSE(channel->IsRunning());
  EXPECT_EQ(owner_->log->Lines(), std::vector<std::string>{Report("connect failed")});
}

// A channel let go of before it started must not start later behind its owner's back.
TEST_P(ChannelVariantTest, AChannelStoppedBeforeItStartsNeverRuns) {
  LoopbackServer server([](int socket) { DrainUntilClosed(socket); });
  auto channel = GetParam() == Variant::Msn
                     ? std::shared_ptr<SocketChannel>(std::make_shared<LineChannel>(owner_, server.PortText()))
                     : IcqChannel::Create(owner_, 1, "127.0.0.1", server.PortText(), ProxySettings{});
  channel->Stop();
  channel->Start();
  EXPECT_FALSE(channel->IsRunning());
  EXPECT_TRUE(channel->WaitUntilEnded(0));
  EXPECT_FALSE(channel->Send(Line("late\r\n")));
}

INSTANTIATE_TEST_SUITE_P(Variants, ChannelVariantTest, ::testing::Values(Variant::Icq, Variant::Msn));

// An HTTP proxy holds the connect until the packets are queued, then serves as the peer.
TEST(IcqChannelTest, PacketsQueuedWhileConnectingGoOutNumberedAndPaced) {
  Log peer;
  Log gate;
  LoopbackServer proxy([&](int socket) {
    for (std::string request; request.find("\r\n\r\n") == std::string::npos;) {
      const std::string more = LoopbackServer::ReceiveSome(socket);
      if (more.empty()) return;
      request += more;
    }
    peer.Add("request");
    if (!gate.WaitFor("go")) return;
    LoopbackServer::SendAll(socket, "HTTP/1.0 200 Connection established\r\n\r\n");
    ReadFrames(socket, peer);
  });
  auto owner = std::make_shared<RecordingOwner>();
  ProxySettings http{.type = core::ProxyType::Http, .host = "127.0.0.1", .port = proxy.Port()};
  auto channel = IcqChannel::Create(owner, 1, "127.0.0.1", "5190", http);
  EXPECT_FALSE(channel->Send(std::make_shared<FramePacket>("before start")));
  channel->SetInitialSequence(0x7FFE);
  channel->Start();
  ASSERT_TRUE(peer.WaitFor("request"));
  for (const char* payload : {"a", "b", "c"}) EXPECT_TRUE(channel->Send(std::make_shared<FramePacket>(payload)));
  EXPECT_TRUE(channel->Send(std::make_shared<FramePacket>("paced", 1000)));
  EXPECT_TRUE(owner->log->Lines().empty());
  gate.Add("go");
  ASSERT_TRUE(peer.WaitFor("1 paced"));
  EXPECT_EQ(peer.Lines(), (std::vector<std::string>{"request", "32766 a", "32767 b", "0 c", "1 paced"}));
  const auto gap = std::chrono::duration_cast<std::chrono::milliseconds>(peer.TimeOf("1 paced") - peer.TimeOf("0 c"));
  EXPECT_GE(gap.count(), 950);
  EXPECT_LT(gap.count(), 5000);
  EXPECT_EQ(channel->NextSequence(), 2);
  channel->Stop();
  ASSERT_TRUE(channel->WaitUntilEnded(kPatienceMs));
  EXPECT_EQ(owner->log->Lines("sent").size(), 4u);
  EXPECT_EQ(owner->log->Lines().front(), "connected");
}

TEST(MsnChannelTest, QueuedCommandsGoOutInOneWriteAndActivityIsKept) {
  Log peer;
  LoopbackServer server([&](int socket) {
    if (!peer.WaitFor("go")) return;
    LoopbackServer::SendAll(socket, "GO\r\n");
    peer.Add(LoopbackServer::ReceiveExactly(socket, 9));
    DrainUntilClosed(socket);
  });
  auto owner = std::make_shared<RecordingOwner>();
  auto channel = std::make_shared<LineChannel>(owner, server.PortText());
  channel->Start();
  ASSERT_TRUE(owner->log->WaitFor("connected"));
  // Let the clock move on so that the receive has to renew the activity time.
  const uint32_t connectedAt = channel->LastActivity();
  while (platform::Ticks() == connectedAt) platform::SleepMs(1);
  const uint32_t beforeReceive = platform::Ticks();
  peer.Add("go");
  ASSERT_TRUE(peer.WaitFor("A\r\nB\r\nC\r\n"));
  EXPECT_LT(channel->LastActivity() - beforeReceive, 60000u);
  channel->Stop();
  ASSERT_TRUE(channel->WaitUntilEnded(kPatienceMs));
  EXPECT_EQ(owner->log->Lines("traffic "), (std::vector<std::string>{"traffic 4", "traffic 9"}));
}

// A server says its last words and hangs up while the channel is busy writing: the write fails,
// and the words must still be heard.
TEST(IcqChannelTest, WhatThePeerSentBeforeHangingUpIsParsedWhenAWriteFailsFirst) {
  Log peer;
  LoopbackServer server([&](int socket) {
    if (!peer.WaitFor("go")) return;
    LoopbackServer::SendAll(socket, Frame(0, "last words"));
    shutdown(socket, SHUT_RDWR);  // whatever the channel writes now is answered with a reset
    peer.WaitFor("done");
  });
  auto owner = std::make_shared<RecordingOwner>();
  auto channel = IcqChannel::Create(owner, 1, "127.0.0.1", server.PortText(), ProxySettings{});
  channel->Start();
  ASSERT_TRUE(owner->log->WaitFor("connected"));
  // Paced, so the channel is waiting to write, not reading, when the words arrive.
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(channel->Send(std::make_shared<FramePacket>("keep-alive", 300)));
  platform::SleepMs(100);
  peer.Add("go");
  ASSERT_TRUE(channel->WaitUntilEnded(kPatienceMs));
  peer.Add("done");
  EXPECT_EQ(owner->log->Lines("got "), std::vector<std::string>{"got last words"});
  EXPECT_EQ(owner->log->Lines().back(), "disconnected");
}

// The keep-alive closes switchboards idle too long or ended: one just made, or busy sending,
// must be neither.
TEST(MsnChannelTest, ActivityCountsFromTheMakingAndEverySendAndAFarewellGoesOutLast) {
  Log peer;
  LoopbackServer server([&](int socket) {
    for (std::string got; !(got = LoopbackServer::ReceiveSome(socket)).empty();) peer.Add(got);
    peer.Add("hung up");
  });
  auto owner = std::make_shared<RecordingOwner>();
  auto channel = std::make_shared<LineChannel>(owner, server.PortText());
  EXPECT_FALSE(channel->HasEnded());
  EXPECT_LT(platform::Ticks() - channel->LastActivity(), 60000u);
  channel->Start();
  ASSERT_TRUE(owner->log->WaitFor("connected"));
  const uint32_t connectedAt = channel->LastActivity();
  while (platform::Ticks() == connectedAt) platform::SleepMs(1);
  const uint32_t beforeSend = platform::Ticks();
  EXPECT_TRUE(channel->Send(Line("PNG\r\n")));
  ASSERT_TRUE(peer.WaitFor("PNG\r\n"));
  EXPECT_LT(channel->LastActivity() - beforeSend, 60000u);

  channel->StopAfterSending(Line("OUT\r\n"));
  EXPECT_FALSE(channel->Send(Line("late\r\n")));
  ASSERT_TRUE(peer.WaitFor("hung up"));
  EXPECT_EQ(peer.Lines(), (std::vector<std::string>{"PNG\r\n", "OUT\r\n", "hung up"}));
  ASSERT_TRUE(channel->WaitUntilEnded(kPatienceMs));
  EXPECT_TRUE(channel->HasEnded());
}

}  // namespace
}  // namespace quelt::net
