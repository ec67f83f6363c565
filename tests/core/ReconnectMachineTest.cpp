// The reconnection both services share, driven by attempts scripted in the test.
#include "core/ReconnectMachine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/Clock.h"

namespace quelt::core {
namespace {

using Outcome = ReconnectMachine::Outcome;
using State = ReconnectMachine::State;
constexpr ReconnectTimings kQuick{.networkPollMs = 10, .backoffStepMs = 20, .backoffMaxMs = 60};

// Bounded, so that a failure shows instead of hanging.
bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 2000 && !condition(); ++i) platform::SleepMs(5);
  return condition();
}

// A machine on its own thread; each attempt runs the next step of the script with the attempt's
// number, after noting the back-off it started with.
class Rig {
 public:
  explicit Rig(ReconnectMachine::AfterNetworkLoss afterLoss = ReconnectMachine::AfterNetworkLoss::KeepBackoff,
               ReconnectTimings timings = kQuick)
      : machine(up, down, [this] { ++askedForNetwork; }, timings, afterLoss) {}
  ~Rig() {
    machine.Stop();
    if (runner.joinable()) runner.join();
  }

  void Run(std::function<Outcome(int attempt)> script) {
    runner = std::thread([this, script = std::move(script)] {
      machine.Run([&] {
        int number = 0;
        {
          std::lock_guard lock(mutex);
          backoffs.push_back(machine.BackoffMs());
          number = static_cast<int>(backoffs.size());
        }
        return script(number);
      });
    });
  }
  std::vector<uint32_t> Backoffs() {
    std::lock_guard lock(mutex);
    return backoffs;
  }
  size_t Attempts() { return Backoffs().size(); }

  platform::Event up{platform::Event::Mode::ManualReset, true};
  platform::Event down{platform::Event::Mode::ManualReset};
  platform::Event never{platform::Event::Mode::ManualReset};
  std::atomic<int> askedForNetwork{0};
  ReconnectMachine machine;

 private:
  std::mutex mutex;
  std::vector<uint32_t> backoffs;
  std::thread runner;
};

TEST(ReconnectMachineTest, EachFailureWaitsAStepLongerUpToTheMaximum) {
  Rig rig;
  rig.machine.WantOnline();
  rig.Run([&](int attempt) {
    if (attempt == 6) rig.machine.Stop();
    return Outcome::Failed;
  });
  ASSERT_TRUE(Eventually([&] { return rig.machine.Current() == State::Ended; }));
  EXPECT_EQ(rig.Backoffs(), (std::vector<uint32_t>{0, 20, 40, 60, 60, 60}));
}

TEST(ReconnectMachineTest, RetryNowEndsABackoffAndClearsIt) {
  Rig rig(ReconnectMachine::AfterNetworkLoss::KeepBackoff, {.backoffStepMs = 60000, .backoffMaxMs = 60000});
  rig.machine.WantOnline();
  rig.Run([&](int attempt) { return attempt == 1 ? Outcome::Failed : rig.machine.Await({&rig.never}).AsOutcome(); });
  // A pulse reaches only a waiting machine: repeat it until the second attempt starts.
  ASSERT_TRUE(Eventually([&] {
    rig.machine.RetryNow();
    return rig.Attempts() == 2;
  }));
  EXPECT_EQ(rig.Backoffs(), (std::vector<uint32_t>{0, 0}));
}

// MSN forgets the back-off while it waits for a network; ICQ keeps it.
TEST(ReconnectMachineTest, ALostNetworkIsAskedForWhileWantedAndTheBackoffKeptOrForgotten) {
  for (const auto afterLoss :
       {ReconnectMachine::AfterNetworkLoss::KeepBackoff, ReconnectMachine::AfterNetworkLoss::ForgetBackoff}) {
    Rig rig(afterLoss);
    rig.machine.WantOnline();
    rig.Run([&](int attempt) {
      if (attempt == 2) {
        rig.up.Reset();
        rig.down.Set();
      }
      return attempt == 1 ? Outcome::Failed : rig.machine.Await({&rig.never}).AsOutcome();
    });
    ASSERT_TRUE(Eventually([&] { return rig.askedForNetwork.load() >= 3; }));
    EXPECT_EQ(rig.Attempts(), 2u);
    rig.down.Reset();
    rig.up.Set();
    ASSERT_TRUE(Eventually([&] { return rig.Attempts() == 3; }));
    const uint32_t kept = afterLoss == ReconnectMachine::AfterNetworkLoss::KeepBackoff ? 20 : 0;
    EXPECT_EQ(rig.Backoffs(), (std::vector<uint32_t>{0, 20, kept}));
  }
}

TEST(ReconnectMachineTest, WantingOfflineEndsTheAttemptUntilOnlineIsWantedAgain) {
  Rig rig;
  rig.machine.WantOnline();
  std::atomic<int> offline{0};
  rig.Run([&](int) {
    const auto woken = rig.machine.Await({&rig.never});
    if (woken.AsOutcome() == Outcome::OfflineWanted) ++offline;
    return woken.AsOutcome();
  });
  ASSERT_TRUE(Eventually([&] { return rig.machine.Current() == State::Attempting; }));
  rig.machine.WantOffline();
  ASSERT_TRUE(Eventually([&] { return rig.machine.Current() == State::WaitingForRequest; }));
  EXPECT_EQ(offline.load(), 1);
  EXPECT_FALSE(rig.machine.WantsOnline());
  EXPECT_EQ(rig.askedForNetwork.load(), 0);
  rig.machine.WantOnline();
  ASSERT_TRUE(Eventually([&] { return rig.Attempts() == 2; }));
  rig.machine.Stop();
  ASSERT_TRUE(Eventually([&] { return rig.machine.Current() == State::Ended; }));
}

}  // namespace
}  // namespace quelt::core
