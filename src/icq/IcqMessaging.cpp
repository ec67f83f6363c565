#include "icq/IcqMessaging.h"

#include <algorithm>
#include <new>
#include <random>

#include "core/Application.h"
#include "core/Conversation.h"
#include "core/HistoryStore.h"
#include "icq/IcqContactList.h"
#include "icq/IcqEvents.h"
#include "icq/IcqMetaCodec.h"
#include "platform/Log.h"
#include "platform/OutOfMemory.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

constexpr std::u16string_view kSilentPrefix = u"silent:";
constexpr uint16_t kTypingStarted = 2;
constexpr uint16_t kTypingStopped = 1;

uint64_t NewCookie() {
  static std::mutex mutex;
  static std::mt19937 random{std::random_device{}()};
  std::lock_guard lock(mutex);
  uint64_t cookie = 0;
  for (int i = 0; i < 4; ++i) cookie = cookie << 16 | (random() & 0xFFFF);
  return cookie;
}

bool IsAsciiSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Strips the "silent:" prefix (in any letter case) and the white space after it; true when it was
// there.
bool TakeSilentPrefix(std::u16string& text) {
  if (text.size() < kSilentPrefix.size()) return false;
  for (size_t i = 0; i < kSilentPrefix.size(); ++i) {
    if (AsciiLower(text[i]) != kSilentPrefix[i]) return false;
  }
  size_t start = kSilentPrefix.size();
  while (start < text.size() && IsAsciiSpace(text[start])) ++start;
  text.erase(0, start);
  return true;
}

}  // namespace

IcqMessaging::IcqMessaging(core::Application& application, std::string ownUin, IcqContactList& list, Hooks hooks,
                           uint32_t deliveryLimitMs)
    : application_(application),
      ownUin_(std::move(ownUin)),
      list_(list),
      hooks_(std::move(hooks)),
      deliveryLimit_(deliveryLimitMs),
      watchdog_([this] { platform::GuardOutOfMemory([this] { RunWatchdog(); }); }) {}

IcqMessaging::~IcqMessaging() { Stop(); }

void IcqMessaging::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (watchdog_.joinable() && watchdog_.get_id() != std::this_thread::get_id()) watchdog_.join();
}

IcqMessaging::Sending IcqMessaging::SendMessage(std::string_view uin, std::u16string_view text) {
  if (!hooks_.isOnline()) return {SendResult::Offline};
  const auto contact = list_.Find(uin);
  const bool offline = !contact || contact->status == -1;
  const uint32_t codePage = contact && contact->ansiCodePage != -1 ? static_cast<uint32_t>(contact->ansiCodePage)
                                                                   : application_.TextCodePage();
  const EncodedText encoded =
      ChooseEncoding(text, offline, contact && contact->unicodeSupport, contact && contact->preferUnicode, codePage);
  if (encoded.encoding == TextEncoding::Refused) return {SendResult::CantSend};

  // Asked for an acknowledgement, or the server keeps it for an offline recipient: the server's
  // acknowledgement confirms it. Otherwise having written the frame is all the confirmation there is.
  const bool storeOffline = application_.GetSettings()->Values().sendingAck || offline;
  const uint64_t cookie = NewCookie();
  FramePtr frame = FlapFrame::ForSnac(MakeSendMessage(cookie, uin, encoded, storeOffline));
  if (!frame) return {SendResult::CantSend};
  {
    std::lock_guard lock(mutex_);
    Pending pending{std::string(uin), cookie, std::chrono::steady_clock::now() + deliveryLimit_};
    (storeOffline ? byCookie_[cookie] : bySerial_[frame->Serial()]) = std::move(pending);
  }
  changed_.notify_all();
  hooks_.sendOnBos(std::move(frame));
  application_.History().Append(hooks_.conversationWith(std::string(uin)), core::LocalNow(), u"", std::u16string(text));
  return {SendResult::Sent, cookie};
}

bool IcqMessaging::SendTyping(std::string_view uin, bool typing) {
  const auto contact = list_.Find(uin);
  if (!hooks_.isOnline() || !contact || contact->status == -1) return false;
  hooks_.sendOnBos(FlapFrame::ForSnac(MakeTypingNotification(uin, typing ? kTypingStarted : kTypingStopped)));
  return true;
}

void IcqMessaging::OnSignedOn() {
  std::lock_guard lock(mutex_);
  offlineMessagesReceived_ = false;
}

void IcqMessaging::OnSnac(const SnacCommand& snac) {
  switch (snac.Kind()) {
    case SnacKind::IncomingMessage: OnIncoming(snac); break;
    case SnacKind::ServerMessageAck:
      if (const auto cookie = ParseServerAck(snac.Data())) {
        std::lock_guard lock(mutex_);
        Complete(byCookie_, *cookie);
      }
      break;
    case SnacKind::TypingNotification:
      if (const auto notice = ParseTypingNotification(snac.Data()); notice && !notice->uin.empty()) {
        list_.Ensure(notice->uin);
        list_.Update(notice->uin, [&](IcqContact& contact) { contact.typing = notice->state == kTypingStarted; });
        application_.PostEvent(core::MakeEvent(core::EventCode::IcqTyping, IcqTypingEvent{notice->uin, notice->state}));
        application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
      }
      break;
    case SnacKind::MetaReply: OnMetaReply(snac); break;
    default: break;
  }
}

void IcqMessaging::OnIncoming(const SnacCommand& snac) {
  auto incoming = ParseIncomingMessage(snac.Data(), application_.TextCodePage());
  if (!incoming || incoming->senderUin.empty()) return;
  // Channel-2 messages are acknowledged at once, whatever becomes of them here.
  if (incoming->ack) hooks_.sendOnBos(FlapFrame::ForSnac(MakeChannel2Ack(*incoming->ack)));
  IcqMessage message;
  message.senderUin = std::move(incoming->senderUin);
  message.hasStatus = incoming->senderStatus.has_value();
  message.senderStatus = incoming->senderStatus.value_or(0);
  message.time = core::LocalNow();
  message.messageType = incoming->messageType;
  message.messageFlags = incoming->messageFlags;
  message.text = std::move(incoming->text);
  Deliver(std::move(message));
}

void IcqMessaging::OnMetaReply(const SnacCommand& snac) {
  const auto reply = ParseMetaReply(snac.Data());
  if (!reply) return;
  if (reply->command == kMetaOfflineMessage) {
    const auto stored = ParseOfflineMessage(*reply, application_.TextCodePage());
    if (!stored) return;
    {
      std::lock_guard lock(mutex_);
      offlineMessagesReceived_ = true;
    }
    IcqMessage message;
    message.senderUin = stored->senderUin;
    message.recipientCheck = true;
    message.recipientUin = stored->recipientUin;
    message.time = core::UtcToLocal(stored->utc);
    message.messageType = stored->messageType;
    message.messageFlags = stored->messageFlags;
    message.text = stored->text;
    Deliver(std::move(message));
  } else if (reply->command == kMetaOfflineEnd) {
    bool received = false;
    {
      std::lock_guard lock(mutex_);
      received = std::exchange(offlineMessagesReceived_, false);
    }
    // Only what arrived is deleted; an empty store is left alone.
    if (received) hooks_.sendOnBos(FlapFrame::ForSnac(MakeDeleteOfflineMessages(NumericUin(ownUin_))));
  }
}

void IcqMessaging::Deliver(IcqMessage message) {
  if (message.recipientCheck && message.recipientUin != ownUin_) return;
  if (message.messageType != kMessageTypePlain) return;
  const bool silent = TakeSilentPrefix(message.text);
  if (silent && message.text.empty()) return;

  list_.Ensure(message.senderUin);
  const std::optional<int32_t> status =
      message.hasStatus ? std::optional(message.senderStatus == 0xFFFFFFFF ? -1 : static_cast<int32_t>(message.senderStatus))
                        : std::nullopt;
  list_.Update(message.senderUin, [status](IcqContact& contact) {
    if (status) contact.status = *status;
    contact.unread = true;
  });
  application_.History().Append(hooks_.conversationWith(message.senderUin), message.time,
                                platform::AsciiToUtf16(message.senderUin), message.text);
  if (!silent) {
    const auto values = application_.GetSettings()->Values();
    if (const auto& notifier = application_.Services().notifier) {
      if (values.sound) notifier->PlaySound(application_.Environment().programFolder / "Sounds" / "Message.wav");
      if (values.vibro) notifier->Vibrate(values.vibroCount);
    }
  }
  application_.PostEvent(
      core::MakeEvent(core::EventCode::IcqMessageReceived,
                      std::shared_ptr<const IcqMessage>(std::make_shared<IcqMessage>(std::move(message)))));
  application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
}

void IcqMessaging::OnFrameWritten(uint64_t serial) {
  std::lock_guard lock(mutex_);
  Complete(bySerial_, serial);
}

// Called with mutex_ held.
void IcqMessaging::Complete(std::map<uint64_t, Pending>& table, uint64_t key) {
  const auto it = table.find(key);
  if (it == table.end()) return;
  application_.PostEvent(
      core::MakeEvent(core::EventCode::IcqMessageConfirmed, IcqDeliveryEvent{it->second.uin, it->second.cookie}));
  table.erase(it);
}

void IcqMessaging::RunWatchdog() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    auto next = std::chrono::steady_clock::time_point::max();
    const auto now = std::chrono::steady_clock::now();
    for (auto* table : {&byCookie_, &bySerial_}) {
      for (auto it = table->begin(); it != table->end();) {
        if (it->second.deadline <= now) {
          application_.PostEvent(core::MakeEvent(core::EventCode::IcqMessageNotConfirmed,
                                                 IcqDeliveryEvent{it->second.uin, it->second.cookie}));
          it = table->erase(it);
        } else {
          next = std::min(next, it->second.deadline);
          ++it;
        }
      }
    }
    if (next == std::chrono::steady_clock::time_point::max()) {
      changed_.wait(lock);
    } else {
      changed_.wait_until(lock, next);
    }
  }
}

}  // namespace quelt::icq
