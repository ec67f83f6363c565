#include "core/ReconnectMachine.h"

#include <algorithm>
#include <array>

namespace quelt::core {

ReconnectMachine::ReconnectMachine(platform::Event& networkUp, platform::Event& networkDown,
                                   std::function<void()> askForNetwork, ReconnectTimings timings,
                                   AfterNetworkLoss afterNetworkLoss)
    : networkUp_(networkUp),
      networkDown_(networkDown),
      askForNetwork_(std::move(askForNetwork)),
      timings_(timings),
      afterNetworkLoss_(afterNetworkLoss) {}

void ReconnectMachine::Stop() { stop_.Set(); }

void ReconnectMachine::WantOnline() {
  offlineWanted_.Reset();
  onlineWanted_.Set();
}

void ReconnectMachine::WantOffline() {
  onlineWanted_.Reset();
  offlineWanted_.Set();
}

void ReconnectMachine::RetryNow() { retryNow_.Pulse(); }

void ReconnectMachine::Run(const std::function<Outcome()>& attempt) {
  State state = State::WaitingForNetwork;
  while (state != State::Ended) {
    state_.store(state);
    switch (state) {
      case State::WaitingForNetwork: state = WaitForNetwork(); break;
      case State::WaitingForRequest: state = WaitForRequest(); break;
      case State::Attempting: state = After(attempt()); break;
      case State::BackingOff: state = BackOff(); break;
      case State::Ended: break;
    }
  }
  state_.store(State::Ended);
}

ReconnectMachine::State ReconnectMachine::After(Outcome outcome) {
  switch (outcome) {
    case Outcome::Stopped: return State::Ended;
    case Outcome::NetworkLost: return State::WaitingForNetwork;
    case Outcome::OfflineWanted: return State::WaitingForRequest;
    case Outcome::Failed: return State::BackingOff;
  }
  return State::BackingOff;
}

ReconnectMachine::State ReconnectMachine::WaitForNetwork() {
  if (afterNetworkLoss_ == AfterNetworkLoss::ForgetBackoff) backoffMs_.store(0);
  while (true) {
    const platform::Event* woken = platform::WaitFirst({&stop_, &networkUp_}, timings_.networkPollMs);
    if (woken == &stop_) return State::Ended;
    if (woken == &networkUp_) return State::WaitingForRequest;
    if (WantsOnline() && askForNetwork_) askForNetwork_();
  }
}

ReconnectMachine::State ReconnectMachine::WaitForRequest() {
  const platform::Event* woken = platform::WaitFirst({&stop_, &networkDown_, &onlineWanted_}, platform::kInfinite);
  if (woken == &stop_) return State::Ended;
  if (woken == &networkDown_) return State::WaitingForNetwork;
  return State::Attempting;
}

ReconnectMachine::State ReconnectMachine::BackOff() {
  uint32_t backoff = backoffMs_.load();
  if (backoff < timings_.backoffMaxMs) backoff = std::min(backoff + timings_.backoffStepMs, timings_.backoffMaxMs);
  backoffMs_.store(backoff);
  const platform::Event* woken = platform::WaitFirst({&stop_, &networkDown_, &retryNow_}, backoff);
  if (woken == &stop_) return State::Ended;
  if (woken == &networkDown_) return State::WaitingForNetwork;
  if (woken == &retryNow_) backoffMs_.store(0);
  // Retried or waited out: the next attempt starts as soon as the user wants to be online.
  return State::WaitingForRequest;
}

ReconnectMachine::Woken ReconnectMachine::Await(std::initializer_list<platform::Event*> awaited) {
  constexpr size_t kOwn = 3;
  std::array<platform::Event*, kOwn + 5> signals{&stop_, &networkDown_, &offlineWanted_};
  size_t count = kOwn;
  for (platform::Event* signal : awaited) {
    if (count < signals.size()) signals[count++] = signal;
  }
  platform::Event* woken = platform::WaitFirst(std::span(signals.data(), count), platform::kInfinite);
  if (woken == &stop_) return {.ending = Outcome::Stopped};
  if (woken == &networkDown_) return {.ending = Outcome::NetworkLost};
  if (woken == &offlineWanted_) return {.ending = Outcome::OfflineWanted};
  // A failed wait cannot be told apart from a failed connection; it is taken for one.
  if (woken == nullptr) return {.ending = Outcome::Failed};
  return {.signal = woken};
}

}  // namespace quelt::core
