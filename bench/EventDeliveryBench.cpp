// How fast events travel: through the hub to a core listener, through the dispatcher's drain to
// a user-interface listener, and how long one event takes from PostEvent to its listener.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "core/Application.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"

namespace {

using namespace quelt;

constexpr core::EventCode kCoreOnly = core::EventCode::SetIcqStatus;
constexpr core::EventCode kUiOnly = core::EventCode::ViewRefresh;

// Counts deliveries and lets the poster wait for a given count.
class CountingListener final : public core::EventListener {
 public:
  void OnEvent(const core::AppEventPtr&) override {
    const uint64_t now = count_.fetch_add(1, std::memory_order_acq_rel) + 1;
    if (now >= target_.load(std::memory_order_acquire)) {
      std::lock_guard lock(mutex_);
      reached_.notify_all();
    }
  }

  void WaitFor(uint64_t count) {
    target_.store(count, std::memory_order_release);
    std::unique_lock lock(mutex_);
    reached_.wait(lock, [&] { return count_.load(std::memory_order_acquire) >= count; });
  }

  [[nodiscard]] uint64_t Count() const { return count_.load(); }

 private:
  std::atomic<uint64_t> count_{0};
  std::atomic<uint64_t> target_{UINT64_MAX};
  std::mutex mutex_;
  std::condition_variable reached_;
};

struct Rig {
  Rig()
      : dispatcher(std::make_shared<core::UiDispatcher>()),
        uiThread(*dispatcher),
        application(core::SettingsEnvironment{.programFolder = folder.Path(), .documentsFolder = folder.Path()},
                    dispatcher) {
    application.Initialise();
    application.AddListener(listener);
    dispatcher->AddUiListener(listener);
  }

  test::TempFolder folder;
  std::shared_ptr<core::UiDispatcher> dispatcher;
  test::TestUiThread uiThread;
  core::Application application;
  std::shared_ptr<CountingListener> listener = std::make_shared<CountingListener>();
};

void Throughput(benchmark::State& state, core::EventCode code) {
  Rig rig;
  rig.listener->WaitFor(1);  // the refresh posted by Initialise
  const auto event = core::MakeEvent(code);
  uint64_t posted = rig.listener->Count();
  for (auto _ : state) {
    rig.application.PostEvent(event);
    ++posted;
  }
  rig.listener->WaitFor(posted);
  state.SetItemsProcessed(state.iterations());
}

void BM_HubToCoreListener(benchmark::State& state) { Throughput(state, kCoreOnly); }
void BM_DrainToUiListener(benchmark::State& state) { Throughput(state, kUiOnly); }

void Latency(benchmark::State& state, core::EventCode code) {
  Rig rig;
  rig.listener->WaitFor(1);
  const auto event = core::MakeEvent(code);
  uint64_t posted = rig.listener->Count();
  for (auto _ : state) {
    rig.application.PostEvent(event);
    rig.listener->WaitFor(++posted);
  }
}

void BM_PostToCoreListenerLatency(benchmark::State& state) { Latency(state, kCoreOnly); }
void BM_PostToUiListenerLatency(benchmark::State& state) { Latency(state, kUiOnly); }

}  // namespace

BENCHMARK(BM_HubToCoreListener)->UseRealTime();
BENCHMARK(BM_DrainToUiListener)->UseRealTime();
BENCHMARK(BM_PostToCoreListenerLatency)->UseRealTime();
BENCHMARK(BM_PostToUiListenerLatency)->UseRealTime();
BENCHMARK_MAIN();
