#include "icq/IcqSession.h"

#include <algorithm>
#include <array>
#include <new>

#include "core/Application.h"
#include "core/Conversation.h"
#include "core/StatusNames.h"
#include "icq/IcqFrameEvent.h"
#include "icq/IcqLoginHandler.h"
#include "icq/IcqMetaCodec.h"
#include "icq/IcqStartup.h"
#include "icq/OutgoingCommands.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/OutOfMemory.h"
#include "platform/OwnThread.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

constexpr uint16_t kTlvDisconnectReason = 0x0009;
constexpr uint16_t kDisconnectLoggedElsewhere = 1;
constexpr uint32_t kChannelEndWaitMs = 5000;  // a stopped channel ends at once; this only bounds a hang

std::atomic<uint64_t> nextConnectionId{1};

std::string Ansi(std::u16string_view text) { return platform::EncodeCodePage(text, platform::kAnsiCodePage).bytes; }

std::u16string Decimal(uint32_t number) { return platform::AsciiToUtf16(std::to_string(number)); }

}  // namespace

std::shared_ptr<IcqSession> IcqSession::Create(core::Application& application, std::u16string uin, IcqTimings timings) {
  auto session = std::shared_ptr<IcqSession>(new IcqSession(application, std::move(uin), timings));
  session->list_->LoadCache();
  application.AddListener(session);
  return session;
}

IcqSession::IcqSession(core::Application& application, std::u16string uin, IcqTimings timings)
    : application_(application),
      uin_(std::move(uin)),
      timings_(timings),
      machine_(application.NetworkUp(), application.NetworkDown(),
               [&application] { application.PostEvent(core::MakeEvent(core::EventCode::ConnectNetwork)); },
               timings.reconnect, core::ReconnectMachine::AfterNetworkLoss::KeepBackoff) {
  IcqListService::Hooks hooks{
      .sendOnBos = [this](SnacPtr snac) { SendOnBos(FlapFrame::ForSnac(std::move(snac))); },
      .isOnline = [this] { return online_.load(); },
      .conversationWith = [this](const std::string& contact) { return ConversationWith(contact); }};
  list_ = std::make_unique<IcqListService>(application_, Ansi(uin_), HistoryFolder(), std::move(hooks));
  smileys_ = resources::SmileySet::Create(application_.Environment().programFolder / "Smilies",
                                          application_.GetSettings()->Values().smileSource);
  const auto send = [this](FramePtr frame) { SendOnBos(std::move(frame)); };
  const auto online = [this] { return online_.load(); };
  messaging_ = std::make_unique<IcqMessaging>(
      application_, Ansi(uin_), list_->List(),
      IcqMessaging::Hooks{.sendOnBos = send,
                          .isOnline = online,
                          .conversationWith = [this](const std::string& contact) { return ConversationWith(contact); }},
      timings_.deliveryLimitMs);
  directory_ = std::make_unique<IcqDirectory>(application_, NumericUin(Ansi(uin_)),
                                              IcqDirectory::Hooks{.sendOnBos = send, .isOnline = online});
}

std::filesystem::path IcqSession::HistoryFolder() const {
  return std::filesystem::path(platform::Utf16ToUtf8(application_.GetSettings()->Values().historyFolder));
}

std::shared_ptr<core::Conversation> IcqSession::ConversationWith(const std::string& uin) {
  std::lock_guard lock(mutex_);
  auto& conversation = conversations_[uin];
  if (!conversation) {
    conversation = std::make_shared<core::Conversation>(
        HistoryFolder(), uin_, std::vector<std::u16string>{uin_, platform::AsciiToUtf16(uin)}, std::u16string());
  }
  return conversation;
}

// Touches nothing of the application: it may already be going once the threads have ended.
IcqSession::~IcqSession() {
  platform::JoinOrRelease(sessionThread_);
  platform::JoinOrRelease(keepAliveThread_);
}

void IcqSession::Start() {
  if (started_.exchange(true)) return;
  runningThreads_.store(2);
  ended_.Reset();
  auto self = shared_from_this();
  sessionThread_ = std::thread([self] {
    platform::GuardOutOfMemory([&] { self->RunSession(); });
    self->ThreadEnded();
  });
  keepAliveThread_ = std::thread([self] {
    platform::GuardOutOfMemory([&] { self->RunKeepAlive(); });
    self->ThreadEnded();
  });
}

void IcqSession::ThreadEnded() {
  if (runningThreads_.fetch_sub(1) == 1) ended_.Set();
}

void IcqSession::Stop() {
  machine_.Stop();
  smileys_->Cancel();
}

void IcqSession::Disconnect() { SetStatus(-1); }

void IcqSession::Shutdown() { Stop(); }

// The session thread sees the network-down signal itself and leaves whatever it was doing.
void IcqSession::OnNetworkLost() {}

void IcqSession::SetStatus(int32_t status) {
  machine_.RetryNow();
  const int32_t previous = desiredStatus_.exchange(status);
  if (status == previous) return;
  if (previous == -1) machine_.WantOnline();
  if (status == -1) {
    machine_.WantOffline();
    ResetPresence();
    return;
  }
  auto settings = application_.GetSettings();
  if (settings->Values().icqAutoStatus != status) {
    // Remembered, so the next start signs in with the status chosen last.
    settings->Update([status](core::SettingsValues& values) { values.icqAutoStatus = status; });
    if (!settings->Save()) platform::Log("could not save the ICQ status to the configuration");
  }
  application_.PostEvent(core::MakeEvent(core::EventCode::ConnectNetwork));
  if (!online_.load()) return;
  // Going invisible, the privacy item changes first, so the status is never seen by the wrong
  // people; leaving invisibility, it changes after.
  const bool invisible = core::IcqStatusKey(static_cast<uint32_t>(status)) == "invisible";
  if (invisible) list_->SyncPrivacy(status);
  SendOnBos(FlapFrame::ForSnac(MakeSetStatus(static_cast<uint32_t>(status))));
  if (!invisible) list_->SyncPrivacy(status);
}

void IcqSession::OnEvent(const core::AppEventPtr& event) {
  switch (event->Code()) {
    case core::EventCode::SetIcqStatus:
      if (const auto* request = core::PayloadOf<core::StatusPayload>(*event)) SetStatus(request->status);
      break;
    case core::EventCode::IcqLoginFrameOut:
    case core::EventCode::IcqMainFrameOut: {
      const auto* outgoing = core::PayloadOf<IcqFrameEvent>(*event);
      if (outgoing == nullptr) break;
      std::shared_ptr<net::IcqChannel> channel;
      {
        std::lock_guard lock(mutex_);
        channel = event->Code() == core::EventCode::IcqLoginFrameOut ? loginChannel_ : bosChannel_;
      }
      if (channel) channel->Send(outgoing->frame);
      break;
    }
    case core::EventCode::IcqMainFrame: {
      const auto* received = core::PayloadOf<IcqFrameEvent>(*event);
      if (received == nullptr) break;
      {
        std::lock_guard lock(mutex_);
        if (received->connection != bosConnectionId_) break;
      }
      const FlapFrame& frame = *received->frame;
      if (frame.Channel() == kChannelSignOff) {
        OnServerDisconnect(frame);
      } else if (const SnacCommand* own = frame.SnacOfKind(SnacKind::OwnInfo)) {
        const auto blocks = ParseUserInfoBlocks(own->Data());
        if (!blocks.empty() && blocks.front().status) {
          application_.PostEvent(core::MakeEvent(core::EventCode::IcqOwnStatus, *blocks.front().status));
        }
      } else if (frame.Snac()) {
        list_->OnSnac(*frame.Snac(), received->connection);
        messaging_->OnSnac(*frame.Snac());
        directory_->OnSnac(*frame.Snac());
        OnPresence(*frame.Snac());
      }
      break;
    }
    case core::EventCode::IcqConnectionClosed:
      if (const auto* connection = core::PayloadOf<uint64_t>(*event)) OnConnectionClosed(*connection);
      break;
    case core::EventCode::IcqPacketSent:
      if (const auto* serial = core::PayloadOf<uint64_t>(*event)) messaging_->OnFrameWritten(*serial);
      break;
    default: break;
  }
}

void IcqSession::OnPresence(const SnacCommand& snac) {
  const bool online = snac.Kind() == SnacKind::ContactOnline;
  if (!online && snac.Kind() != SnacKind::ContactOffline) return;
  bool changed = false;
  for (const UserInfoBlock& block : ParseUserInfoBlocks(snac.Data())) {
    if (block.uin.empty()) continue;
    // A block without a status word reports a plain "online".
    const int32_t status = online ? static_cast<int32_t>(block.status.value_or(0)) : -1;
    list_->List().Ensure(block.uin);
    list_->List().Update(block.uin, [&](IcqContact& contact) {
      if (contact.status != status) {
        contact.status = status;
        contact.typing = false;
        changed = true;
      }
      // Without capabilities the contact's Unicode support stays as it was.
      if (block.unicodeCapable) contact.unicodeSupport = *block.unicodeCapable;
    });
  }
  if (changed) application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
}

void IcqSession::ResetPresence() {
  const size_t changed = list_->List().UpdateAll([](IcqContact& contact) {
    const bool was = contact.status != -1 || contact.typing;
    contact.status = -1;
    contact.typing = false;
    return was;
  });
  if (changed > 0) application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
}

void IcqSession::OnServerDisconnect(const FlapFrame& frame) {
  // The server ended the session (another sign-in, say): stay offline until the user acts.
  desiredStatus_.store(-1);
  machine_.WantOffline();
  ResetPresence();
  std::u16string text = application_.Text("you_disconnected");
  const Tlv* reason = frame.FindTlv(kTlvDisconnectReason);
  if (reason != nullptr && reason->value.size() == 2) {
    const uint16_t code = static_cast<uint16_t>(reason->value[0] << 8 | reason->value[1]);
    text += u".\r\n" + application_.Text("reason") + u": " + Decimal(code);
    if (code == kDisconnectLoggedElsewhere) text += u" (" + application_.Text("logged_another") + u")";
  }
  application_.SetUserMessage(std::move(text));
  application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
}

void IcqSession::OnConnected(net::SocketChannel& channel) {
  std::lock_guard lock(mutex_);
  if (&channel == loginChannel_.get()) loginConnected_.Set();
  if (&channel == bosChannel_.get()) bosConnected_.Set();
}

void IcqSession::OnConnectFailed(net::SocketChannel& channel) { OnDisconnected(channel, false); }

// Servers often send their last words (a redirect, a refusal, a disconnection) and close at
// once. The end travels through the event queue behind the frames the connection delivered, so
// those words are handled before the session thread acts on the close.
void IcqSession::OnDisconnected(net::SocketChannel& channel, bool /*byRequest*/) {
  // A channel the session has already replaced has no id any more; its end concerns nobody.
  if (const uint64_t connection = ConnectionIdOf(channel); connection != 0) {
    application_.PostEvent(core::MakeEvent(core::EventCode::IcqConnectionClosed, connection));
  }
}

void IcqSession::OnConnectionClosed(uint64_t connection) {
  std::lock_guard lock(mutex_);
  if (connection == loginConnectionId_) loginFailed_.Set();
  if (connection == bosConnectionId_) bosFailed_.Set();
}

uint64_t IcqSession::ConnectionIdOf(const net::SocketChannel& channel) const {
  std::lock_guard lock(mutex_);
  if (&channel == loginChannel_.get()) return loginConnectionId_;
  if (&channel == bosChannel_.get()) return bosConnectionId_;
  return 0;
}

void IcqSession::OnTraffic(uint32_t bytes) { application_.AddTraffic(core::Service::Icq, bytes); }

std::optional<size_t> IcqSession::Parse(net::SocketChannel& channel, std::span<const uint8_t> buffer, size_t offset) {
  const FrameCut cut = CutFrame(buffer, offset);
  if (cut.status == FrameCut::Status::Broken) {
    platform::Log("ICQ: the stream from %s:%s lost its frame boundary", channel.Host().c_str(), channel.Port().c_str());
    return std::nullopt;
  }
  if (cut.status == FrameCut::Status::Incomplete) return offset;
  const uint64_t connection = ConnectionIdOf(channel);
  const auto code = channel.Kind() == kLoginConnection ? core::EventCode::IcqLoginFrame : core::EventCode::IcqMainFrame;
  application_.PostEvent(MakeFrameEvent(code, cut.frame, connection));
  return cut.next;
}

void IcqSession::OnPacketSent(net::SocketChannel& /*channel*/, const net::PacketPtr& packet) {
  if (const auto* frame = dynamic_cast<const FlapFrame*>(packet.get())) {
    application_.PostEvent(core::MakeEvent(core::EventCode::IcqPacketSent, frame->Serial()));
  }
}

void IcqSession::SendOnLogin(FramePtr frame) {
  // Null when the content cannot be framed (over 64 KiB); there is nothing sensible to send.
  if (frame) application_.PostEvent(MakeFrameEvent(core::EventCode::IcqLoginFrameOut, std::move(frame)));
}

void IcqSession::SendOnBos(FramePtr frame) {
  if (frame) application_.PostEvent(MakeFrameEvent(core::EventCode::IcqMainFrameOut, std::move(frame)));
}

void IcqSession::OnRedirected(std::string host, std::string port, std::vector<uint8_t> cookie) {
  {
    std::lock_guard lock(mutex_);
    bosHost_ = std::move(host);
    bosPort_ = std::move(port);
    cookie_ = std::move(cookie);
  }
  redirected_.Set();
}

void IcqSession::OnLoginRefused(uint16_t code) {
  // The text is in place before anyone hears of the refusal.
  std::u16string text = application_.Text("icq_rejected");
  if (code != 0) text += u": " + application_.Text("error") + u" " + Decimal(code);
  application_.SetUserMessage(std::move(text));
  application_.PostEvent(core::MakeEvent(core::EventCode::IcqLoginRefused, code));
  loginFailed_.Set();
  application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
}

void IcqSession::OnStartupDone() { startupDone_.Set(); }

void IcqSession::PostProgress(std::string_view languageKey) {
  application_.PostEvent(core::MakeEvent(core::EventCode::IcqProgressText, application_.Text(languageKey)));
}

std::shared_ptr<net::IcqChannel> IcqSession::OpenChannel(int kind, std::string host, std::string port) {
  const auto values = application_.GetSettings()->Values();
  net::ProxySettings proxy{.type = values.icqProxyType,
                           .host = Ansi(values.icqProxyHost),
                           .port = values.icqProxyPort,
                           .user = Ansi(values.icqProxyUser),
                           .password = Ansi(values.icqProxyPassword)};
  auto channel = net::IcqChannel::Create(weak_from_this(), kind, host, port, std::move(proxy), timings_.network);
  const uint64_t id = nextConnectionId.fetch_add(1);
  {
    std::lock_guard lock(mutex_);
    const uint32_t counter = kind == kLoginConnection ? loginCounter_++ : bosCounter_++;
    platform::Log("ICQ: %s%u to %s:%s", kind == kLoginConnection ? "Login" : "BOS", counter, host.c_str(),
                  port.c_str());
    (kind == kLoginConnection ? loginChannel_ : bosChannel_) = channel;
    (kind == kLoginConnection ? loginConnectionId_ : bosConnectionId_) = id;
  }
  return channel;
}

void IcqSession::CloseChannel(int kind) {
  std::shared_ptr<net::IcqChannel> channel;
  {
    std::lock_guard lock(mutex_);
    channel = std::exchange(kind == kLoginConnection ? loginChannel_ : bosChannel_, nullptr);
    (kind == kLoginConnection ? loginConnectionId_ : bosConnectionId_) = 0;
  }
  if (channel) {
    channel->Stop();
    // Its thread may still be calling back for a moment; the session waits for it before ending.
    std::erase_if(retired_, [](const auto& old) { return old->WaitUntilEnded(0); });
    retired_.push_back(channel);
  }
}

void IcqSession::UnregisterHandlers() {
  std::shared_ptr<IcqLoginHandler> login;
  std::shared_ptr<IcqStartup> startup;
  {
    std::lock_guard lock(mutex_);
    login = std::exchange(loginHandler_, nullptr);
    startup = std::exchange(startup_, nullptr);
  }
  if (login) application_.RemoveListener(login.get());
  if (startup) application_.RemoveListener(startup.get());
}

void IcqSession::RunSession() {
  machine_.Run([this] { return Attempt(); });
  // Leaving: nothing stays open or registered, and no connection thread calls back any more.
  UnregisterHandlers();
  CloseChannel(kLoginConnection);
  CloseChannel(kBosConnection);
  for (const auto& channel : retired_) (void)channel->WaitUntilEnded(kChannelEndWaitMs);
  retired_.clear();
  online_.store(false);
  messaging_->Stop();
  application_.RemoveListener(this);
}

IcqSession::Outcome IcqSession::Abandon(int kind, const Woken& woken) {
  UnregisterHandlers();
  PostProgress("offline");
  CloseChannel(kind);
  // The user went offline during the sign-in: the next one starts without delay.
  if (woken.ending == Outcome::OfflineWanted && woken.signal == nullptr) machine_.ResetBackoff();
  return woken.AsOutcome();
}

IcqSession::Outcome IcqSession::Attempt() {
  PostProgress("finding_host");
  const auto hosts = application_.GetSettings()->Values().loginHosts;
  if (hosts.empty()) {
    platform::Log("ICQ: no login servers are configured");
    PostProgress("offline");
    return Outcome::Failed;
  }
  ++loginHostIndex_;
  if (loginHostIndex_ < 0 || static_cast<size_t>(loginHostIndex_) >= hosts.size()) loginHostIndex_ = 0;
  const core::LoginHost& host = hosts[static_cast<size_t>(loginHostIndex_)];

  // Every signal of this attempt is cleared before the connection can raise it: the login
  // dialogue may run its course before this thread looks again.
  loginConnected_.Reset();
  loginFailed_.Reset();
  redirected_.Reset();
  auto login = OpenChannel(kLoginConnection, host.host, host.port);
  {
    std::lock_guard lock(mutex_);
    loginHandler_ = std::make_shared<IcqLoginHandler>(weak_from_this(), loginConnectionId_);
  }
  application_.AddListener(loginHandler_);
  login->Start();

  Woken woken = machine_.Await({&loginConnected_, &loginFailed_});
  if (!woken.Is(loginConnected_)) return Abandon(kLoginConnection, woken);
  PostProgress("logging_on");
  woken = machine_.Await({&redirected_, &loginFailed_});
  if (!woken.Is(redirected_)) return Abandon(kLoginConnection, woken);

  UnregisterHandlers();
  CloseChannel(kLoginConnection);
  std::string bosHost;
  std::string bosPort;
  std::vector<uint8_t> cookie;
  {
    std::lock_guard lock(mutex_);
    bosHost = bosHost_;
    bosPort = bosPort_;
    cookie = cookie_;
  }
  bosConnected_.Reset();
  bosFailed_.Reset();
  startupDone_.Reset();
  auto bos = OpenChannel(kBosConnection, bosHost, bosPort);
  {
    std::lock_guard lock(mutex_);
    startup_ = std::make_shared<IcqStartup>(weak_from_this(), bosConnectionId_, std::move(cookie));
  }
  application_.AddListener(startup_);
  bos->Start();

  woken = machine_.Await({&bosConnected_, &bosFailed_});
  if (!woken.Is(bosConnected_)) return Abandon(kBosConnection, woken);
  // BosFailed is not cleared here: a server that closes right after accepting must still count.
  woken = machine_.Await({&startupDone_, &bosFailed_});
  if (!woken.Is(startupDone_)) return Abandon(kBosConnection, woken);

  UnregisterHandlers();
  MoveWorkingHostToFront();
  // Online before it is told: whoever handles the progress text asks IsOnline().
  online_.store(true);
  PostProgress("online");
  machine_.ResetBackoff();
  application_.PostEvent(core::MakeEvent(core::EventCode::IcqStartupDone));
  return StayOnline();
}

void IcqSession::MoveWorkingHostToFront() {
  if (loginHostIndex_ > 0) {
    auto settings = application_.GetSettings();
    const auto index = static_cast<size_t>(loginHostIndex_);
    settings->Update([index](core::SettingsValues& values) {
      if (index < values.loginHosts.size()) {
        std::rotate(values.loginHosts.begin(), values.loginHosts.begin() + static_cast<std::ptrdiff_t>(index),
                    values.loginHosts.begin() + static_cast<std::ptrdiff_t>(index) + 1);
      }
    });
    if (!settings->Save()) platform::Log("could not save the login server order");
  }
  // Whichever host worked is now first, so the next sign-in starts there.
  loginHostIndex_ = -1;
}

IcqSession::Outcome IcqSession::StayOnline() {
  const Woken woken = machine_.Await({&bosFailed_});
  CloseChannel(kBosConnection);
  online_.store(false);
  application_.PostEvent(core::MakeEvent(core::EventCode::IcqConnectionGone));
  ResetPresence();
  return woken.AsOutcome();
}

void IcqSession::RunKeepAlive() {
  while (true) {
    const uint32_t period = timings_.keepAliveMs.value_or(
        static_cast<uint32_t>(std::max(1, application_.GetSettings()->Values().icqPingPeriod)) * 1000u);
    if (machine_.WaitForStop(period)) return;
    if (list_->ExpireDraftMarks(platform::Ticks(), timings_.draftExpiryMs)) {
      application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
    }
    if (online_.load()) SendOnBos(FlapFrame::KeepAlive());
  }
}

}  // namespace quelt::icq
