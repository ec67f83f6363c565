#include "msn/MsnSession.h"

#include <new>

#include "core/Application.h"
#include "core/HistoryFileName.h"
#include "msn/MsnChallenge.h"
#include "msn/MsnLogin.h"
#include "msn/MsnStatus.h"
#include "msn/PassportLogin.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/OutOfMemory.h"
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
  const std::filesystem::path cacheFile = std::filesystem::path(platform::Utf16ToUtf8(values.historyFolder)) /
                                          platform::Utf16ToUtf8(core::HistoryFileName(email_) + u".xml");
  contacts_ = std::make_shared<MsnContactList>(cacheFile);
  contacts_->LoadCache();
  // The session outlives the manager's threads (its destructor waits for them).
  manager_->SetHousekeeping([this] { ExpireActivity(); });
  lists_ = std::make_unique<MsnListService>(
      application_, *contacts_, email_,
      MsnListService::Hooks{
          .send = [this](const std::function<std::string(int)>& line) { return manager_->SendOnNotification(line); },
          .listCurrent = [this](const auto& connection) { SendInitialPresence(connection); },
          .contactGone = [this](std::u16string_view gone) { conversations_->OnContactRemoved(gone); }});
  conversations_ = std::make_shared<MsnConversations>(MsnConversations::Context{
      .application = application_,
      .manager = manager_,
      .contacts = contacts_,
      .accountEmail = email_,
      .timings = timings_,
      .adopt = [this](std::u16string_view joined) { lists_->AdoptParticipant(joined); }});
  manager_->SetAccount(Account());
  manager_->SetSwitchboardClosed([conversations = std::weak_ptr(conversations_)](int id) {
    if (const auto alive = conversations.lock()) alive->OnSwitchboardClosed(id);
  });
}

// The manager's threads hold the manager, not the session, and use the application until they
// end; so the session, which the application may already have let go of, waits for them here.
MsnSession::~MsnSession() {
  cancelPassport_->store(true);
  manager_->Stop();
  if (!manager_->WaitUntilEnded(kManagerEndWaitMs)) platform::Log("MSN: the connection manager is still running");
  JoinPassportThreads();
  conversations_->CloseAll();
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
    case core::EventCode::MsnConnectionClosed:
      if (const auto* closed = core::PayloadOf<std::shared_ptr<MsnConnection>>(*event)) {
        manager_->OnConnectionClosed(*closed);
      }
      break;
    case core::EventCode::MsnDisconnected: GoOffline(); break;
    case core::EventCode::MsnTextReceived:
    case core::EventCode::MsnTextDelivered:
    case core::EventCode::MsnSendTimeout:
    case core::EventCode::MsnSendText: conversations_->OnEvent(*event); break;
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
  if (!connection) return;
  if (connection->IsSwitchboard()) {
    // Of a switchboard's commands only these two concern the whole session.
    if (command.Kind() == MsnCommandKind::Iln || command.Kind() == MsnCommandKind::Chl) {
      OnAnyConnection(received);
    } else {
      conversations_->OnCommand(command, connection);
    }
    return;
  }
  // Commands still arriving from a connection the manager has let go of concern nobody.
  if (connection != manager_->Notification()) return;
  if (command.Kind() == MsnCommandKind::Iln || command.Kind() == MsnCommandKind::Chl) {
    OnAnyConnection(received);
    return;
  }
  switch (command.Kind()) {
    case MsnCommandKind::Ver: SendLine(connection, [&](int id) { return ClientVersionLine(id, Account()); }); break;
    case MsnCommandKind::Cvr: SendLine(connection, [&](int id) { return InitialUsrLine(id, Account()); }); break;
    case MsnCommandKind::UsrTwnS:
      if (const auto* challenge = command.As<UsrTwnSFields>()) StartPassport(connection, challenge->policy);
      break;
    case MsnCommandKind::UsrOkNs: lists_->StartSync(connection); break;
    case MsnCommandKind::Syn:
    case MsnCommandKind::Lsg:
    case MsnCommandKind::Lst:
    case MsnCommandKind::Adc:
    case MsnCommandKind::Rem:
    case MsnCommandKind::Error: lists_->OnCommand(command, connection); break;
    case MsnCommandKind::Nln:
      if (const auto* presence = command.As<PresenceFields>()) {
        SetContactPresence(DecodeMsnStatus(presence->code), presence->email, presence->friendlyName);
      }
      break;
    case MsnCommandKind::Fln:
      if (const auto* offline = command.As<FlnFields>()) SetContactPresence(-1, offline->email, u"");
      break;
    case MsnCommandKind::XfrSb:
    case MsnCommandKind::Rng: conversations_->OnCommand(command, connection); break;
    case MsnCommandKind::XfrNs:
      if (const auto* redirect = command.As<XfrNsFields>()) manager_->Redirect(redirect->address);
      break;
    case MsnCommandKind::Chg:
      if (const auto* change = command.As<ChgFields>()) {
        const int32_t status = DecodeMsnStatus(change->code);
        if (status == -1) break;
        // Signed in before it is told: whoever handles the events asks LoggedIn().
        manager_->OnLoginConfirmed();
        application_.PostEvent(core::MakeEvent(core::EventCode::MsnLoggedIn));
        application_.PostEvent(core::MakeEvent(core::EventCode::MsnOwnStatus, status));
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
  endpoints.caFile = platform::Utf16ToUtf8(values.msnCaFile);
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
        platform::GuardOutOfMemory([&] {
          std::string ticket = PassportLogin(endpoints, account, password, policy, cancel.get());
          // An empty ticket sends nothing: the server closes the connection and the manager backs off.
          if (!ticket.empty() && !cancel->load())
            SendLine(connection, [&](int id) { return TicketUsrLine(id, ticket); });
          platform::Wipe(ticket);
        });
        platform::Wipe(password);
        done->store(true);
      });
  platform::Wipe(password);
  passportThreads_.push_back({std::move(thread), std::move(done)});
}

void MsnSession::OnAnyConnection(const MsnCommandEvent& received) {
  const MsnCommand& command = *received.command;
  if (const auto* presence = command.As<PresenceFields>()) {
    SetContactPresence(DecodeMsnStatus(presence->code), presence->email, presence->friendlyName);
  } else if (const auto* challenge = command.As<ChlFields>()) {
    AnswerChallenge(received.connection, challenge->challenge);
  }
}

void MsnSession::SendInitialPresence(const std::shared_ptr<MsnConnection>& connection) {
  const int32_t status = manager_->DesiredStatus();
  if (status != -1) SendLine(connection, [status](int id) { return ChangeStatusLine(id, status); });
}

void MsnSession::AnswerChallenge(const std::shared_ptr<MsnConnection>& connection, const std::string& challenge) {
  // Without an answer the server closes the connection, and the manager tries again later.
  const auto answer = ChallengeAnswer(challenge);
  if (!answer || !connection->IsRunning()) return;
  const int id = connection->NextTransactionId();
  connection->Send(MsnCommand::OutgoingWithExtra("QRY " + std::to_string(id) + ' ' + std::string(kMsnProductId) + " 32",
                                                 std::vector<uint8_t>(answer->begin(), answer->end())));
}

void MsnSession::SetContactPresence(int32_t status, std::u16string_view email, std::u16string_view friendlyName) {
  const bool known = contacts_->Update(email, [&](MsnContact& contact) {
    if (!friendlyName.empty()) contact.friendlyName = friendlyName;
    contact.status = status;
  });
  if (!known) return;
  if (status == -1) conversations_->OnContactOffline(email);
  application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
}

void MsnSession::ExpireActivity() {
  const uint32_t now = platform::Ticks();
  const size_t expired = contacts_->UpdateAll([&](MsnContact& contact) {
    if (!contact.activity || now - contact.activityTime <= timings_.activityExpiryMs) return false;
    contact.activity = false;
    return true;
  });
  if (expired > 0) application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
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

// The lists stay; presence and the conversations' switchboards go.
void MsnSession::GoOffline() {
  conversations_->GoOffline();
  contacts_->UpdateAll([](MsnContact& contact) {
    const bool changed = contact.status != -1 || contact.typing;
    contact.status = -1;
    contact.typing = false;
    return changed;
  });
  application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
}

}  // namespace quelt::msn
