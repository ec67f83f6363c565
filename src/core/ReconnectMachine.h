#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>

#include "platform/Event.h"

namespace quelt::core {

// The waits both services' reconnection follows; tests shorten them.
struct ReconnectTimings {
  uint32_t networkPollMs = 10000;  // while waiting for a network and wanting to be online, ask this often
  uint32_t backoffStepMs = 5000;   // each failure waits this much longer before the next attempt
  uint32_t backoffMaxMs = 60000;   // but never longer than this
};

// What a protocol session's connection goes through, alike for both services, on the session's
// own thread: waiting for a network, waiting until the user wants to be online, the session's own
// attempt (connect, sign in, stay online), and backing off after a failure, a step longer each time
// up to the maximum. The user's wishes, a retry and the stop come from any thread.
class ReconnectMachine {
 public:
  enum class State { WaitingForNetwork, WaitingForRequest, Attempting, BackingOff, Ended };
  // How an attempt ended, which decides where the machine goes next.
  enum class Outcome {
    Stopped,        // the session is ending
    NetworkLost,    // back to waiting for a network
    OfflineWanted,  // the user wants to be offline: back to waiting for the wish to be online
    Failed,         // the connection failed or ended: back off, then try again
  };
  enum class AfterNetworkLoss { KeepBackoff, ForgetBackoff };

  // What ended a wait of an attempt: one of the awaited signals, or something that ends the attempt.
  struct Woken {
    platform::Event* signal = nullptr;  // the awaited signal; null when `ending` says what happened
    Outcome ending = Outcome::Failed;
    [[nodiscard]] bool Is(const platform::Event& awaited) const { return signal == &awaited; }
    // The outcome of an attempt that ends here: an awaited signal is the attempt's own failure.
    [[nodiscard]] Outcome AsOutcome() const { return signal != nullptr ? Outcome::Failed : ending; }
  };

  // `askForNetwork` asks the machine for a data connection (the application's ConnectNetwork).
  ReconnectMachine(platform::Event& networkUp, platform::Event& networkDown, std::function<void()> askForNetwork,
                   ReconnectTimings timings, AfterNetworkLoss afterNetworkLoss);
  ReconnectMachine(const ReconnectMachine&) = delete;
  ReconnectMachine& operator=(const ReconnectMachine&) = delete;

  // The session thread's body, until Stop; `attempt` runs in the Attempting state.
  void Run(const std::function<Outcome()>& attempt);

  // Any thread.
  void Stop();
  void WantOnline();   // stays wanted until WantOffline: after a failure the next attempt follows the back-off
  void WantOffline();  // ends an attempt in progress
  void RetryNow();     // ends a back-off in progress at once
  void ResetBackoff() { backoffMs_.store(0); }
  [[nodiscard]] uint32_t BackoffMs() const { return backoffMs_.load(); }
  [[nodiscard]] bool WantsOnline() const { return onlineWanted_.IsSet(); }
  [[nodiscard]] State Current() const { return state_.load(); }
  // For the session's other threads: true once the machine is stopped (waiting at most timeoutMs).
  [[nodiscard]] bool WaitForStop(uint32_t timeoutMs) { return stop_.Wait(timeoutMs); }

  // For the attempt: waits until one of `awaited` is signalled or the attempt must end (the stop,
  // a lost network, the wish to be offline, which take precedence in that order).
  [[nodiscard]] Woken Await(std::initializer_list<platform::Event*> awaited);

 private:
  State WaitForNetwork();
  State WaitForRequest();
  State BackOff();
  static State After(Outcome outcome);

  platform::Event& networkUp_;
  platform::Event& networkDown_;
  const std::function<void()> askForNetwork_;
  const ReconnectTimings timings_;
  const AfterNetworkLoss afterNetworkLoss_;

  platform::Event stop_{platform::Event::Mode::ManualReset};
  platform::Event onlineWanted_{platform::Event::Mode::ManualReset};
  platform::Event offlineWanted_{platform::Event::Mode::ManualReset, true};
  platform::Event retryNow_{platform::Event::Mode::ManualReset};
  std::atomic<uint32_t> backoffMs_{0};
  std::atomic<State> state_{State::WaitingForNetwork};
};

}  // namespace quelt::core
