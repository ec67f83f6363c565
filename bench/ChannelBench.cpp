// How fast a connection moves bytes: loopback data through a channel into a parser that takes
// fixed-size units, and how long a packet takes from Send to the peer's receive call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "net/IcqChannel.h"
#include "support/LoopbackServer.h"

namespace {

using namespace quelt;
using Clock = std::chrono::steady_clock;
using test::LoopbackServer;

constexpr size_t kUnit = 64;
constexpr uint64_t kBlast = 16u << 20;

// Consumes 64-byte units and lets the benchmark wait for a total.
class CountingOwner final : public net::ChannelOwner {
 public:
  void OnConnected(net::SocketChannel& /*channel*/) override {
    connected_.store(true);
    std::lock_guard lock(mutex_);
    reached_.notify_all();
  }
  void OnTraffic(uint32_t /*bytes*/) override {}
  std::optional<size_t> Parse(net::SocketChannel& /*channel*/, std::span<const uint8_t> buffer,
                              size_t offset) override {
    if (buffer.size() - offset < kUnit) return offset;
    Bump(kUnit);
    return offset + kUnit;
  }

  void Bump(uint64_t bytes) {
    const uint64_t now = consumed_.fetch_add(bytes) + bytes;
    if (now >= target_.load()) {
      std::lock_guard lock(mutex_);
      reached_.notify_all();
    }
  }

  void WaitConnected() {
    std::unique_lock lock(mutex_);
    reached_.wait(lock, [&] { return connected_.load(); });
  }

  void WaitFor(uint64_t total) {
    target_.store(total);
    std::unique_lock lock(mutex_);
    reached_.wait(lock, [&] { return consumed_.load() >= total; });
  }

 private:
  std::atomic<uint64_t> consumed_{0};
  std::atomic<uint64_t> target_{UINT64_MAX};
  std::atomic<bool> connected_{false};
  std::mutex mutex_;
  std::condition_variable reached_;
};

net::PacketPtr Bytes(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  return std::make_shared<net::BytesPacket>(std::vector<uint8_t>(bytes, bytes + size));
}

// Each 8-byte request from the channel asks the peer for that many bytes.
void BM_ReceiveThroughput(benchmark::State& state) {
  LoopbackServer server([](int socket) {
    const std::string block(1 << 16, 'x');
    for (std::string request; !(request = LoopbackServer::ReceiveExactly(socket, 8)).empty();) {
      uint64_t left = 0;
      std::memcpy(&left, request.data(), sizeof left);
      while (left > 0) {
        const size_t now = std::min<uint64_t>(left, block.size());
        if (!LoopbackServer::SendAll(socket, std::string_view(block).substr(0, now))) return;
        left -= now;
      }
    }
  });
  auto owner = std::make_shared<CountingOwner>();
  auto channel = net::IcqChannel::Create(owner, 1, "127.0.0.1", server.PortText(), net::ProxySettings{});
  channel->Start();
  owner->WaitConnected();
  uint64_t total = 0;
  for (auto _ : state) {
    (void)channel->Send(Bytes(&kBlast, sizeof kBlast));
    total += kBlast;
    owner->WaitFor(total);
  }
  state.SetBytesProcessed(static_cast<int64_t>(total));
  channel->Stop();
  (void)channel->WaitUntilEnded(10000);
}

// One 64-byte packet at a time, stamped with the send time; the peer measures the one-way time
// and the iteration ends when the peer has it.
void BM_SendToPeerLatency(benchmark::State& state) {
  std::mutex mutex;
  std::condition_variable arrived;
  uint64_t count = 0;
  int64_t latencyNs = 0;
  LoopbackServer server([&](int socket) {
    for (std::string unit; !(unit = LoopbackServer::ReceiveExactly(socket, kUnit)).empty();) {
      const auto now = Clock::now().time_since_epoch().count();
      Clock::rep sent = 0;
      std::memcpy(&sent, unit.data(), sizeof sent);
      std::lock_guard lock(mutex);
      latencyNs += std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::duration(now - sent)).count();
      ++count;
      arrived.notify_all();
    }
  });
  auto owner = std::make_shared<CountingOwner>();
  auto channel = net::IcqChannel::Create(owner, 1, "127.0.0.1", server.PortText(), net::ProxySettings{});
  channel->Start();
  owner->WaitConnected();
  uint64_t sent = 0;
  for (auto _ : state) {
    std::array<uint8_t, kUnit> unit{};
    const Clock::rep stamp = Clock::now().time_since_epoch().count();
    std::memcpy(unit.data(), &stamp, sizeof stamp);
    (void)channel->Send(Bytes(unit.data(), unit.size()));
    std::unique_lock lock(mutex);
    arrived.wait(lock, [&] { return count > sent; });
    ++sent;
  }
  {
    std::lock_guard lock(mutex);
    state.counters["send_to_peer_us"] =
        static_cast<double>(latencyNs) / 1000.0 / static_cast<double>(std::max<uint64_t>(count, 1));
  }
  channel->Stop();
  (void)channel->WaitUntilEnded(10000);
}

}  // namespace

BENCHMARK(BM_ReceiveThroughput)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SendToPeerLatency)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
