#include "msn/MsnSession.h"

#include <new>

#include "core/Application.h"
#include "msn/MsnLogin.h"
#include "msn/MsnStatus.h"
#include "msn/PassportLogin.h"
#include "platform/Log.h"
#include "platform/SecureWipe.h"
#include "platform/TextCodec.h"

namespace quelt::msn {
namespace {

constexpr uint32_t kManagerEndWaitMs = 10000;

void SendLine(const std::shared_ptr<MsnConnection>& connection, const std::function<std::string(int)>& line) {
  if (connection->IsRunning()) connection->Send(MsnCommand::Outgoing(line(connection->NextTransactionId())));
}

}  // namespace

std::shared_ptr<MsnSession> MsnSession::Create(core::Application& application, std::u16string email,
                                               MsnTimings timings) {
  auto session = std::shared_ptr<MsnSession>(new MsnSession(application, std::move(email), std::move(timings)));
  application.AddListener(session);
  return session;
}

MsnSession::MsnSession(core::Application& application, std::u16string email, MsnTimings timings)
    : application_(application), email_(std::move(email)), timings_(std::move(timings)) {
  const auto values = application_.GetSettings()->Values();
  manager_ = std::make_shared<MsnConnectionManager>(application_, timings_, platform::Utf16ToUtf8(values.msnServer));
  smileys_ = resources::SmileySet::Create(application_.Environment().programFolder / "Smilies", values.msnSmileSource);
}

// The manager's threads hold the manager, not the session, and use the application until they
// end; so the session, which the application may already have let go of, waits for them here.
MsnSession::~MsnSession() {
  cancelPassport_->store(true);
  manager_->Stop();
  if (!manager_->WaitUntilEnded(kManagerEndWaitMs)) platform::Log("MSN: the connection manager is still running");
  JoinPassportThreads();
}

void MsnSession::Start() { manager_->Start(); }

void MsnSession::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  cancelPassport_->store(true);
  manager_->Stop();
  smileys_->Cancel();
}

bool MsnSession::WaitUntilEnded(uint32_t timeoutMs) {
  if (!manager_->WaitUntilEnded(timeoutMs)) return false;
  JoinPassportThreads();
  return true;
}

void MsnSession::JoinPassportThreads() {
  std::vector<PassportThread> threads;
  {
    std::lock_guard lock(mutex_);
    threads.swap(passportThreads_);
  }
  for (auto& entry : threads) {
    if (entry.thread.joinable()) entry.thread.join();
  }
}

std::string MsnSession::Account() const { return platform::EncodeCodePage(email_, application_.TextCodePage()).bytes; }

void MsnSession::OnEvent(const core::AppEventPtr& event) {
  switch (event->Code()) {
    case core::EventCode::SetMsnStatus:
      if (const auto* request = core::PayloadOf<core::StatusPayload>(*event)) SetStatus(request->status);
      break;
    case core::EventCode::MsnCommandReceived:
      if (const auto* received = core::PayloadOf<MsnCommandEvent>(*event)) OnCommand(*received);
      break;
    case core::EventCode::MsnDisconnected: GoOffline(); break;
    default: break;
  }
}

void MsnSession::SetStatus(int32_t status) {
  const int32_t previous = manager_->ExchangeDesiredStatus(status);
  manager_->RetryNow();
  if (status == previous) return;
  if (previous == -1) manager_->RequestConnect();
  if (status == -1) {
    manager_->RequestDisconnect();
    GoOffline();
    return;
  }
  auto settings = application_.GetSettings();
  if (settings->Values().msnAutoStatus != status) {
    // Remembered, so the next start signs in with the status chosen last.
    settings->Update([status](core::SettingsValues& values) { values.msnAutoStatus = status; });
    if (!settings->Save()) platform::Log("could not save the MSN status to the configuration");
  }
  if (manager_->LoggedIn()) {
    manager_->SendOnNotification([status](int id) { return ChangeStatusLine(id, status); });
  } else {
    application_.PostEvent(core::MakeEvent(core::EventCode::ConnectNetwork));
  }
}

void MsnSession::OnCommand(const MsnCommandEvent& received) {
  const auto& connection = received.connection;
  const MsnCommand& command = *received.command;
  // Commands still arriving from a connection the manager has let go of concern nobody.
  if (!connection || connection->IsSwitchboard() || connection != manager_->Notification()) return;
  switch (command.Kind()) {
    case MsnCommandKind::Ver: SendLine(connection, [&](int id) { return ClientVersionLine(id, Account()); }); break;
    case MsnCommandKind::Cvr: SendLine(connection, [&](int id) { return InitialUsrLine(id, Account()); }); break;
    case MsnCommandKind::UsrTwnS:
      if (const auto* challenge = command.As<UsrTwnSFields>()) StartPassport(connection, challenge->policy);
      break;
    case MsnCommandKind::UsrOkNs:
      SendLine(connection, [&](int id) { return SynLine(id, listVersion1_, listVersion2_); });
      break;
    case MsnCommandKind::XfrNs:
      if (const auto* redirect = command.As<XfrNsFields>()) manager_->Redirect(redirect->address);
      break;
    case MsnCommandKind::Chg:
      if (const auto* change = command.As<ChgFields>()) {
        const int32_t status = DecodeMsnStatus(change->code);
        if (status == -1) break;
        application_.PostEvent(core::MakeEvent(core::EventCode::MsnLoggedIn));
        application_.PostEvent(core::MakeEvent(core::EventCode::MsnOwnStatus, status));
        manager_->OnLoginConfirmed();
      }
      break;
    case MsnCommandKind::Out:
      OnSignedOut(command.As<OutFields>() ? command.As<OutFields>()->reason : std::string());
      break;
    default: break;
  }
}

void MsnSession::StartPassport(const std::shared_ptr<MsnConnection>& connection, std::string policy) {
  const auto values = application_.GetSettings()->Values();
  PassportEndpoints endpoints;
  endpoints.nexus = platform::Utf16ToUtf8(values.msnNexus);
  endpoints.caFile = timings_.passportCaFile;
  endpoints.timeoutMs = timings_.passportTimeoutMs;
  std::string account = Account();
  std::string password = platform::EncodeCodePage(values.msnPassword, application_.TextCodePage()).bytes;

  std::lock_guard lock(mutex_);
  if (stopping_) {
    platform::Wipe(password);
    return;
  }
  // Threads that have finished are joined here, so the list stays as short as the logins in flight.
  std::erase_if(passportThreads_, [](PassportThread& entry) {
    if (!entry.done->load()) return false;
    entry.thread.join();
    return true;
  });
  auto done = std::make_shared<std::atomic<bool>>(false);
  std::thread thread(
      [connection, endpoints, account, password, policy = std::move(policy), done, cancel = cancelPassport_]() mutable {
        try {
          std::string ticket = PassportLogin(endpoints, account, password, policy, cancel.get());
          // An empty ticket sends nothing: the server closes the connection and the manager backs off.
          if (!ticket.empty() && !cancel->load())
            SendLine(connection, [&](int id) { return TicketUsrLine(id, ticket); });
          platform::Wipe(ticket);
        } catch (const std::bad_alloc&) {
          platform::Log("out of memory");
        }
        platform::Wipe(password);
        done->store(true);
      });
  platform::Wipe(password);
  passportThreads_.push_back({std::move(thread), std::move(done)});
}

void MsnSession::OnSignedOut(const std::string& reason) {
  manager_->ExchangeDesiredStatus(-1);
  GoOffline();
  manager_->RequestDisconnect();
  std::u16string text = application_.Text("you_disconnected");
  if (reason == "OTH") text += u".\r\n" + application_.Text("reason") + u": " + application_.Text("logged_another");
  application_.SetUserMessage(std::move(text));
  application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
}

// Contacts and conversations are reset here once the session keeps them; the window redraws.
void MsnSession::GoOffline() { application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh)); }

}  // namespace quelt::msn
