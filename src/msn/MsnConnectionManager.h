#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/ReconnectMachine.h"
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

// Drives the notification-server connection through the reconnection states both services share
// on a thread of its own, and keeps it alive on a second one: PNG while logged in, idle
// switchboards closed. Thread-safe.
class MsnConnectionManager final : public net::ChannelOwner,
                                   public std::enable_shared_from_this<MsnConnectionManager>,
                                   private core::SessionWorker {
 public:
  MsnConnectionManager(core::Application& application, MsnTimings timings, std::string defaultServer);
  ~MsnConnectionManager() override;

  // Work of the session's own for every keep-alive period (on the keep-alive thread); set before Start.
  void SetHousekeeping(std::function<void()> housekeeping) { housekeeping_ = std::move(housekeeping); }
  // The 8-bit sign-in name that switchboards are entered with; set before Start.
  void SetAccount(std::string account) { account_ = std::move(account); }
  // Told the id of a switchboard that ended on its own or went idle (not of one the session
  // closed); set before Start. Called on the hub, keep-alive and manager threads with no lock of
  // the manager held.
  void SetSwitchboardClosed(std::function<void(int id)> closed) { switchboardClosed_ = std::move(closed); }
  // Starts both threads; Stop ends them (at once, without waiting).
  void Start();
  void Stop();
  // True once both threads have ended (at once when never started).
  [[nodiscard]] bool WaitUntilEnded(uint32_t timeoutMs) { return ended_.Wait(timeoutMs); }

  void RequestConnect();
  void RequestDisconnect();
  // Ends a pending back-off at once.
  void RetryNow() { machine_.RetryNow(); }
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

  // The lowest switchboard of the ready pool, taken out of it; otherwise 0, after asking the
  // server for a new one with XFR SB.
  int RequestSwitchboard();
  // XFR SB: a switchboard at `address` that is entered with `cookie` (USR) once connected;
  // returns its id.
  int OpenSwitchboard(const std::string& address, std::string cookie);
  // RNG: a switchboard that answers an invitation (ANS) once connected; returns its id.
  int OpenInvitedSwitchboard(const std::string& address, std::string sessionId, std::string cookie);
  // USR OK on switchboard `id`: when it answers that switchboard's USR, the switchboard joins the
  // ready pool and true is returned.
  bool ConfirmSwitchboard(int id, int transactionId);
  [[nodiscard]] std::vector<int> PooledSwitchboards() const;  // ascending
  // Takes `id` out of the pool; false when it was not there.
  bool TakePooledSwitchboard(int id);
  [[nodiscard]] std::shared_ptr<MsnConnection> Switchboard(int id) const;
  // Stops and forgets a switchboard; no closed notice follows.
  void CloseSwitchboard(int id);
  // Leaves a switchboard (OUT, then the connection ends) and forgets it; no closed notice follows.
  void LeaveSwitchboard(int id);

  // Hub thread: a connection ended after everything it received was handled (MsnConnectionClosed).
  void OnConnectionClosed(const std::shared_ptr<MsnConnection>& connection);

  // net::ChannelOwner
  void OnConnected(net::SocketChannel& channel) override;
  void OnClosed(net::SocketChannel& channel) override;
  void OnTraffic(uint32_t bytes) override;

 private:
  void RunMachine();
  // A fresh connect to the default server, the login conversation, and any redirects, until the
  // connection ends.
  [[nodiscard]] core::ReconnectMachine::Outcome Attempt();
  void RunKeepAlive();
  void KeepAliveStep();
  void DropNotification();
  void DropSwitchboards();
  // With mutex_ held.
  std::shared_ptr<MsnConnection> CreateConnection(MsnConnectionKind kind, const std::string& address);
  struct Entry;
  int StartSwitchboard(const std::string& address, Entry entry);
  // With mutex_ held: stops (after `farewell`, when given) and forgets it; false when it was not
  // known.
  bool ForgetSwitchboard(int id, net::PacketPtr farewell = nullptr);
  void SwitchboardsEnded(const std::vector<int>& ids);
  void Progress(const char* languageKey);
  void ThreadEnded();

  core::Application& application_;
  const MsnTimings timings_;
  const std::string defaultServer_;
  std::function<void()> housekeeping_;
  std::string account_;
  std::function<void(int)> switchboardClosed_;

  std::atomic<int32_t> desiredStatus_{-1};
  std::atomic<bool> loggedIn_{false};

  core::ReconnectMachine machine_;
  platform::Event notificationConnected_{platform::Event::Mode::ManualReset};
  platform::Event redirect_{platform::Event::Mode::ManualReset};
  platform::Event notificationClosed_{platform::Event::Mode::ManualReset};
  platform::Event ended_{platform::Event::Mode::ManualReset, true};

  mutable std::mutex mutex_;  // the fields below
  std::string serverAddress_;
  std::shared_ptr<MsnConnection> notification_;
  std::map<int, std::shared_ptr<MsnConnection>> switchboards_;
  struct Entry {  // how a switchboard not yet connected is to be entered
    std::string cookie;
    std::string sessionId;  // invitations only
    bool invited = false;
  };
  std::map<int, Entry> pendingEntries_;
  std::map<int, int> pendingLogins_;  // switchboard id to the transaction id of its USR
  std::set<int> pool_;
  // Connections let go of, waited for when the machine ends so that none calls back later.
  std::vector<std::shared_ptr<MsnConnection>> retired_;

  std::atomic<int> runningThreads_{0};
  std::thread machineThread_;
  std::thread keepAliveThread_;
};

}  // namespace quelt::msn
