#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/SessionWorker.h"
#include "msn/MsnConnection.h"
#include "msn/MsnTimings.h"
#include "net/ChannelOwner.h"
#include "platform/Event.h"

namespace quelt::core {
class Application;
}

namespace quelt::msn {

// The payload of MsnCommandReceived: a command and the connection it came on.
struct MsnCommandEvent {
  std::shared_ptr<MsnConnection> connection;
  MsnCommandPtr command;
};

// Drives the notification-server connection through its states (waiting for a network, backing
// off, idle, connecting, connected) on a thread of its own, and keeps it alive on a second one:
// PNG while logged in, idle switchboards closed. Thread-safe.
class MsnConnectionManager final : public net::ChannelOwner,
                                   public std::enable_shared_from_this<MsnConnectionManager>,
                                   private core::SessionWorker {
 public:
  MsnConnectionManager(core::Application& application, MsnTimings timings, std::string defaultServer);
  ~MsnConnectionManager() override;

  // Work of the session's own for every keep-alive period (on the keep-alive thread); set before Start.
  void SetHousekeeping(std::function<void()> housekeeping) { housekeeping_ = std::move(housekeeping); }
  // Starts both threads; Stop ends them (at once, without waiting).
  void Start();
  void Stop();
  // True once both threads have ended (at once when never started).
  [[nodiscard]] bool WaitUntilEnded(uint32_t timeoutMs) { return ended_.Wait(timeoutMs); }

  void RequestConnect();
  void RequestDisconnect();
  // Ends a pending back-off at once.
  void RetryNow() { retryNow_.Pulse(); }
  [[nodiscard]] int32_t DesiredStatus() const { return desiredStatus_.load(); }
  // The previous desired status.
  int32_t ExchangeDesiredStatus(int32_t status) { return desiredStatus_.exchange(status); }
  [[nodiscard]] bool LoggedIn() const { return loggedIn_.load(); }
  // The first presence confirmation: logged in, and the next failure backs off from the start.
  void OnLoginConfirmed();
  // XFR NS: the next connection goes to `address`.
  void Redirect(std::string address);

  [[nodiscard]] std::shared_ptr<MsnConnection> Notification() const;
  // Builds the command with the notification connection's next id and sends it; false when
  // there is no running notification connection.
  bool SendOnNotification(const std::function<std::string(int transactionId)>& line);
  // Switchboards in the idle-close rule (their owner adds them).
  void AddSwitchboard(const std::shared_ptr<MsnConnection>& switchboard);

  // net::ChannelOwner
  void OnConnected(net::SocketChannel& channel) override;
  void OnClosed(net::SocketChannel& channel) override;
  void OnTraffic(uint32_t bytes) override;

 private:
  enum class State { WaitNetwork, Backoff, Idle, Connecting, Connected, End };

  void RunMachine();
  State WaitNetwork();
  State WaitBackoff();
  State Idle();
  State Connecting();
  State Connected();
  void RunKeepAlive();
  void KeepAliveStep();
  void DropNotification();
  void DropSwitchboards();
  void Progress(const char* languageKey);
  void ThreadEnded();

  core::Application& application_;
  const MsnTimings timings_;
  const std::string defaultServer_;
  std::function<void()> housekeeping_;

  std::atomic<int32_t> desiredStatus_{-1};
  std::atomic<bool> loggedIn_{false};
  std::atomic<uint32_t> backoffMs_{0};

  platform::Event quit_{platform::Event::Mode::ManualReset};
  platform::Event disconnectRequested_{platform::Event::Mode::ManualReset, true};
  platform::Event connectRequested_{platform::Event::Mode::ManualReset};
  platform::Event retryNow_{platform::Event::Mode::ManualReset};
  platform::Event notificationConnected_{platform::Event::Mode::ManualReset};
  platform::Event redirect_{platform::Event::Mode::ManualReset};
  platform::Event notificationClosed_{platform::Event::Mode::ManualReset};
  platform::Event ended_{platform::Event::Mode::ManualReset, true};

  mutable std::mutex mutex_;  // the fields below
  std::string serverAddress_;
  std::shared_ptr<MsnConnection> notification_;
  std::map<int, std::shared_ptr<MsnConnection>> switchboards_;
  // Connections let go of, waited for when the machine ends so that none calls back later.
  std::vector<std::shared_ptr<MsnConnection>> retired_;

  std::atomic<int> runningThreads_{0};
  std::thread machineThread_;
  std::thread keepAliveThread_;
};

}  // namespace quelt::msn
