#include "msn/MsnConnectionManager.h"

#include <new>

#include "core/Application.h"
#include "msn/MsnCommand.h"
#include "msn/MsnLogin.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/OutOfMemory.h"
#include "platform/OwnThread.h"

namespace quelt::msn {
namespace {

constexpr uint32_t kConnectionEndWaitMs = 5000;

}  // namespace

MsnConnectionManager::MsnConnectionManager(core::Application& application, MsnTimings timings,
                                           std::string defaultServer)
    : application_(application),
      timings_(std::move(timings)),
      defaultServer_(std::move(defaultServer)),
      machine_(application.NetworkUp(), application.NetworkDown(),
               [&application] { application.PostEvent(core::MakeEvent(core::EventCode::ConnectNetwork)); },
               timings_.reconnect, core::ReconnectMachine::AfterNetworkLoss::ForgetBackoff),
      serverAddress_(defaultServer_) {}

// Touches nothing of the application: it may already be going once the threads have ended.
MsnConnectionManager::~MsnConnectionManager() {
  platform::JoinOrRelease(machineThread_);
  platform::JoinOrRelease(keepAliveThread_);
}

void MsnConnectionManager::Start() {
  if (machineThread_.joinable()) return;
  runningThreads_.store(2);
  ended_.Reset();
  auto self = shared_from_this();
  const auto run = [self](void (MsnConnectionManager::*body)()) {
    platform::GuardOutOfMemory([&] { ((*self).*body)(); });
    self->ThreadEnded();
  };
  machineThread_ = std::thread(run, &MsnConnectionManager::RunMachine);
  keepAliveThread_ = std::thread(run, &MsnConnectionManager::RunKeepAlive);
}

void MsnConnectionManager::ThreadEnded() {
  if (runningThreads_.fetch_sub(1) == 1) ended_.Set();
}

void MsnConnectionManager::Stop() { machine_.Stop(); }

void MsnConnectionManager::RequestConnect() { machine_.WantOnline(); }

void MsnConnectionManager::RequestDisconnect() { machine_.WantOffline(); }

void MsnConnectionManager::OnLoginConfirmed() {
  loggedIn_.store(true);
  machine_.ResetBackoff();
}

void MsnConnectionManager::Redirect(std::string address) {
  {
    std::lock_guard lock(mutex_);
    serverAddress_ = std::move(address);
  }
  redirect_.Set();
}

std::shared_ptr<MsnConnection> MsnConnectionManager::Notification() const {
  std::lock_guard lock(mutex_);
  return notification_;
}

bool MsnConnectionManager::SendOnNotification(const std::function<std::string(int transactionId)>& line) {
  const auto connection = Notification();
  if (!connection || !connection->IsRunning()) return false;
  return connection->Send(MsnCommand::Outgoing(line(connection->NextTransactionId())));
}

std::shared_ptr<MsnConnection> MsnConnectionManager::CreateConnection(MsnConnectionKind kind,
                                                                      const std::string& address) {
  auto self = weak_from_this();
  return MsnConnection::Create(
      self, kind, address, application_.TextCodePage(),
      [self](const std::shared_ptr<MsnConnection>& from, MsnCommandPtr command) {
        if (const auto manager = self.lock()) {
          manager->application_.PostEvent(
              core::MakeEvent(core::EventCode::MsnCommandReceived, MsnCommandEvent{from, std::move(command)}));
        }
      },
      timings_.network);
}

int MsnConnectionManager::RequestSwitchboard() {
  {
    std::lock_guard lock(mutex_);
    if (!pool_.empty()) return pool_.extract(pool_.begin()).value();
  }
  SendOnNotification([](int id) { return "XFR " + std::to_string(id) + " SB"; });
  return 0;
}

int MsnConnectionManager::OpenSwitchboard(const std::string& address, std::string cookie) {
  return StartSwitchboard(address, Entry{.cookie = std::move(cookie)});
}

int MsnConnectionManager::OpenInvitedSwitchboard(const std::string& address, std::string sessionId,
                                                 std::string cookie) {
  return StartSwitchboard(address,
                          Entry{.cookie = std::move(cookie), .sessionId = std::move(sessionId), .invited = true});
}

int MsnConnectionManager::StartSwitchboard(const std::string& address, Entry entry) {
  std::shared_ptr<MsnConnection> switchboard;
  {
    std::lock_guard lock(mutex_);
    switchboard = CreateConnection(MsnConnectionKind::Switchboard, address);
    pendingEntries_[switchboard->Id()] = std::move(entry);
    switchboards_[switchboard->Id()] = switchboard;
  }
  switchboard->Start();
  return switchboard->Id();
}

bool MsnConnectionManager::ConfirmSwitchboard(int id, int transactionId) {
  std::lock_guard lock(mutex_);
  const auto login = pendingLogins_.find(id);
  if (login == pendingLogins_.end() || login->second != transactionId || !switchboards_.contains(id)) return false;
  pendingLogins_.erase(login);
  pool_.insert(id);
  return true;
}

std::vector<int> MsnConnectionManager::PooledSwitchboards() const {
  std::lock_guard lock(mutex_);
  return {pool_.begin(), pool_.end()};
}

bool MsnConnectionManager::TakePooledSwitchboard(int id) {
  std::lock_guard lock(mutex_);
  return pool_.erase(id) > 0;
}

std::shared_ptr<MsnConnection> MsnConnectionManager::Switchboard(int id) const {
  std::lock_guard lock(mutex_);
  const auto found = switchboards_.find(id);
  return found == switchboards_.end() ? nullptr : found->second;
}

void MsnConnectionManager::CloseSwitchboard(int id) {
  std::lock_guard lock(mutex_);
  ForgetSwitchboard(id);
}

void MsnConnectionManager::LeaveSwitchboard(int id) {
  std::lock_guard lock(mutex_);
  ForgetSwitchboard(id, MsnCommand::Outgoing("OUT"));
}

bool MsnConnectionManager::ForgetSwitchboard(int id, net::PacketPtr farewell) {
  pendingEntries_.erase(id);
  pendingLogins_.erase(id);
  pool_.erase(id);
  const auto found = switchboards_.find(id);
  if (found == switchboards_.end()) return false;
  if (farewell) {
    found->second->StopAfterSending(std::move(farewell));
  } else {
    found->second->Stop();
  }
  retired_.push_back(std::move(found->second));
  switchboards_.erase(found);
  return true;
}

void MsnConnectionManager::SwitchboardsEnded(const std::vector<int>& ids) {
  if (!switchboardClosed_) return;
  for (const int id : ids) switchboardClosed_(id);
}

void MsnConnectionManager::OnConnected(net::SocketChannel& channel) {
  std::lock_guard lock(mutex_);
  if (&channel == notification_.get()) {
    notificationConnected_.Set();
    return;
  }
  const auto& connection = static_cast<MsnConnection&>(channel);
  const auto entry = pendingEntries_.find(connection.Id());
  if (entry == pendingEntries_.end() || !switchboards_.contains(connection.Id())) return;
  // The switchboard, not the channel, is looked up: the send needs the shared connection.
  const auto& switchboard = switchboards_.at(connection.Id());
  const int transactionId = switchboard->NextTransactionId();
  const std::string id = std::to_string(transactionId);
  if (entry->second.invited) {
    switchboard->Send(MsnCommand::Outgoing("ANS " + id + ' ' + account_ + ' ' + entry->second.cookie + ' ' +
                                           entry->second.sessionId));
  } else {
    pendingLogins_[connection.Id()] = transactionId;
    switchboard->Send(MsnCommand::Outgoing("USR " + id + ' ' + account_ + ' ' + entry->second.cookie));
  }
  pendingEntries_.erase(entry);
}

// Servers often send their last words (OUT, XFR NS, a last message) and close at once. The end
// travels through the event queue behind the commands the connection delivered, so those are
// handled before the close is acted on.
void MsnConnectionManager::OnClosed(net::SocketChannel& channel) {
  application_.PostEvent(core::MakeEvent(core::EventCode::MsnConnectionClosed,
                                         std::static_pointer_cast<MsnConnection>(channel.shared_from_this())));
}

void MsnConnectionManager::OnConnectionClosed(const std::shared_ptr<MsnConnection>& connection) {
  bool forgotten = false;
  int id = 0;
  {
    // A connection already replaced may still report its end; it must not end its successor.
    std::lock_guard lock(mutex_);
    if (connection == notification_) {
      notificationClosed_.Set();
      return;
    }
    for (const auto& [switchboardId, switchboard] : switchboards_) {
      if (switchboard == connection) id = switchboardId;
    }
    if (id != 0) forgotten = ForgetSwitchboard(id);
  }
  if (forgotten) SwitchboardsEnded({id});
}

void MsnConnectionManager::OnTraffic(uint32_t bytes) { application_.AddTraffic(core::Service::Msn, bytes); }

void MsnConnectionManager::Progress(const char* languageKey) {
  application_.PostEvent(core::MakeEvent(core::EventCode::MsnProgressText, application_.Text(languageKey)));
}

void MsnConnectionManager::RunMachine() {
  machine_.Run([this] { return Attempt(); });
  // Leaving: no connection stays open, and none calls back once the session is gone.
  DropSwitchboards();
  DropNotification();
  std::vector<std::shared_ptr<MsnConnection>> retired;
  {
    std::lock_guard lock(mutex_);
    retired.swap(retired_);
  }
  for (const auto& connection : retired) (void)connection->WaitUntilEnded(kConnectionEndWaitMs);
}

core::ReconnectMachine::Outcome MsnConnectionManager::Attempt() {
  {
    std::lock_guard lock(mutex_);
    serverAddress_ = defaultServer_;  // a fresh connect; only a redirect goes elsewhere
  }
  while (true) {
    Progress("finding_host");
    // Cleared before the connection exists, so that nothing it reports can be lost.
    notificationConnected_.Reset();
    notificationClosed_.Reset();
    redirect_.Reset();
    std::shared_ptr<MsnConnection> connection;
    {
      std::lock_guard lock(mutex_);
      connection = CreateConnection(MsnConnectionKind::Notification, serverAddress_);
      notification_ = connection;
    }
    connection->Start();
    auto woken = machine_.Await({&notificationConnected_, &notificationClosed_});
    if (!woken.Is(notificationConnected_)) {
      Progress("offline");
      DropNotification();
      return woken.AsOutcome();
    }

    Progress("logging_on");
    SendOnNotification(VersionLine);
    woken = machine_.Await({&redirect_, &notificationClosed_});
    loggedIn_.store(false);
    DropSwitchboards();
    DropNotification();
    application_.PostEvent(core::MakeEvent(core::EventCode::MsnDisconnected));
    Progress("offline");
    // A redirect connects again at once, to the address it gave.
    if (!woken.Is(redirect_)) return woken.AsOutcome();
  }
}

void MsnConnectionManager::DropNotification() {
  std::lock_guard lock(mutex_);
  if (!notification_) return;
  notification_->Stop();
  std::erase_if(retired_, [](const auto& old) { return !old->IsRunning() && old->WaitUntilEnded(0); });
  retired_.push_back(std::move(notification_));
}

void MsnConnectionManager::DropSwitchboards() {
  std::vector<int> ended;
  {
    std::lock_guard lock(mutex_);
    while (!switchboards_.empty()) {
      ended.push_back(switchboards_.begin()->first);
      ForgetSwitchboard(ended.back());
    }
    pendingEntries_.clear();
    pendingLogins_.clear();
    pool_.clear();
  }
  SwitchboardsEnded(ended);
}

void MsnConnectionManager::RunKeepAlive() {
  const uint32_t period = timings_.keepAliveMs.value_or(
      static_cast<uint32_t>(std::max(1, application_.GetSettings()->Values().msnPingPeriod)) * 1000u);
  while (!machine_.WaitForStop(period)) KeepAliveStep();
}

void MsnConnectionManager::KeepAliveStep() {
  std::vector<int> ended;
  {
    std::lock_guard lock(mutex_);
    for (const auto& [id, switchboard] : switchboards_) {
      // The clock is read after the activity: one active a moment ago must not look active in
      // the future, which the unsigned difference would take for an age of weeks.
      const uint32_t lastActivity = switchboard->LastActivity();
      const bool idle = platform::Ticks() - lastActivity > timings_.switchboardIdleMs;
      // One made a moment ago and not started yet is neither idle nor ended.
      if (idle || switchboard->HasEnded()) ended.push_back(id);
    }
    for (const int id : ended) ForgetSwitchboard(id);
  }
  SwitchboardsEnded(ended);
  if (housekeeping_) housekeeping_();
  std::shared_ptr<MsnConnection> logged;
  {
    // Read together with the connection: the login of the one before must not ping its successor,
    // which the machine clears the flag before making.
    std::lock_guard lock(mutex_);
    if (loggedIn_.load()) logged = notification_;
  }
  if (logged) logged->Send(MsnCommand::Outgoing("PNG"));
}

}  // namespace quelt::msn
