// How fast events travel: through the hub to a core listener and through the dispatcher's drain
// to a user-interface listener, and how long one event takes from PostEvent to its listener.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/Application.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"

namespace {

using namespace quelt;
using Clock = std::chrono::steady_clock;

constexpr core::EventCode kCoreOnly = core::EventCode::SetIcqStatus;
constexpr core::EventCode kUiOnly = core::EventCode::ViewRefresh;
constexpr int kBatch = 1000;

// Counts deliveries, adds up how long each stamped event took to arrive, and lets the poster
// wait for a given count.
class MeasuringListener final : public core::EventListener {
 public:
  void OnEvent(const core::AppEventPtr& event) override {
    if (const auto* posted = core::PayloadOf<Clock::time_point>(*event)) {
      latencyNs_.fetch_add(std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - *posted).count());
    }
    const uint64_t now = count_.fetch_add(1) + 1;
    if (now >= target_.load()) {
      std::lock_guard lock(mutex_);
      reached_.notify_all();
    }
  }

  void WaitFor(uint64_t count) {
    target_.store(count);
    std::unique_lock lock(mutex_);
    reached_.wait(lock, [&] { return count_.load() >= count; });
  }

  [[nodiscard]] uint64_t Count() const { return count_.load(); }
  [[nodiscard]] int64_t LatencyNs() const { return latencyNs_.load(); }

 private:
  std::atomic<uint64_t> count_{0};
  std::atomic<uint64_t> target_{UINT64_MAX};
  std::atomic<int64_t> latencyNs_{0};
  std::mutex mutex_;
  std::condition_variable reached_;
};

struct Rig {
  Rig()
      : dispatcher(std::make_shared<core::UiDispatcher>()),
        uiThread(*dispatcher),
        application(core::SettingsEnvironment{.programFolder = folder.Path(), .documentsFolder = folder.Path()},
                    dispatcher) {
    dispatcher->AddUiListener(listener);
    application.Initialise();
    application.AddListener(listener);
    listener->WaitFor(1);  // the refresh posted by Initialise
  }

  test::TempFolder folder;
  std::shared_ptr<core::UiDispatcher> dispatcher;
  test::TestUiThread uiThread;
  core::Application application;
  std::shared_ptr<MeasuringListener> listener = std::make_shared<MeasuringListener>();
};

// Batches of events posted back to back, each batch timed until its last event is delivered.
void Throughput(benchmark::State& state, core::EventCode code) {
  Rig rig;
  const auto event = core::MakeEvent(code);
  uint64_t posted = rig.listener->Count();
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) rig.application.PostEvent(event);
    posted += kBatch;
    rig.listener->WaitFor(posted);
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}

// One event at a time: the time from PostEvent to the listener, measured by the listener.
void Latency(benchmark::State& state, core::EventCode code) {
  Rig rig;
  uint64_t posted = rig.listener->Count();
  for (auto _ : state) {
    rig.application.PostEvent(core::MakeEvent(code, Clock::now()));
    rig.listener->WaitFor(++posted);
  }
  state.counters["post_to_listener_us"] =
      static_cast<double>(rig.listener->LatencyNs()) / 1000.0 / static_cast<double>(state.iterations());
}

void BM_HubToCoreListener(benchmark::State& state) { Throughput(state, kCoreOnly); }
void BM_DrainToUiListener(benchmark::State& state) { Throughput(state, kUiOnly); }
void BM_LatencyToCoreListener(benchmark::State& state) { Latency(state, kCoreOnly); }
void BM_LatencyToUiListener(benchmark::State& state) { Latency(state, kUiOnly); }

}  // namespace

BENCHMARK(BM_HubToCoreListener)->UseRealTime();
BENCHMARK(BM_DrainToUiListener)->UseRealTime();
BENCHMARK(BM_LatencyToCoreListener)->UseRealTime();
BENCHMARK(BM_LatencyToUiListener)->UseRealTime();
BENCHMARK_MAIN();
