// The outgoing side of the conversations: getting switchboards, calling contacts in, and the
// text and typing messages with their acknowledgements and time-outs.
#include <algorithm>

#include "core/Application.h"
#include "core/HistoryStore.h"
#include "msn/MsnConversations.h"
#include "msn/MsnMessagePayload.h"
#include "platform/Clock.h"
#include "platform/Log.h"

namespace quelt::msn {
// Of the switchboards the partner of a one-to-one chat is on, the newest; otherwise the one
// attached last.
std::optional<int> MsnConversations::Current(const MsnConversation& conversation) const {
  const auto& ids = conversation.switchboards_;
  if (ids.empty()) return std::nullopt;
  if (conversation.OneToOne() && !conversation.participants_.empty()) {
    const auto& joined = conversation.participants_.front().joined;
    std::optional<int> highest;
    for (const int id : ids) {
      if (joined.contains(id)) highest = std::max(highest.value_or(id), id);
    }
    if (highest) return highest;
  }
  return ids.back();
}

std::optional<MsnContact> MsnConversations::Partner(const MsnConversation& conversation) const {
  if (!conversation.OneToOne() || conversation.participants_.empty()) return std::nullopt;
  return contacts_->FindByEmail(conversation.participants_.front().email);
}

void MsnConversations::UpdatePartner(MsnConversation& conversation, const std::function<void(MsnContact&)>& change) {
  if (conversation.OneToOne() && !conversation.participants_.empty())
    contacts_->Update(conversation.participants_.front().email, change);
}

bool MsnConversations::Sending(const MsnConversation& conversation) const {
  if (!conversation.OneToOne()) return conversation.sending_;
  const auto partner = Partner(conversation);
  return partner && partner->sending;
}

void MsnConversations::SetSending(MsnConversation& conversation, bool sending) {
  if (!conversation.OneToOne()) conversation.sending_ = sending;
  UpdatePartner(conversation, [sending](MsnContact& contact) { contact.sending = sending; });
}

MsnConversations::ConversationMarks MsnConversations::Marks(const MsnConversation& conversation) const {
  std::lock_guard lock(mutex_);
  std::lock_guard conversationLock(conversation.mutex_);
  if (!conversation.OneToOne()) {
    return {.sending = conversation.sending_, .unread = conversation.unread_, .unsentText = conversation.unsentText_};
  }
  const auto partner = Partner(conversation);
  if (!partner) return {};
  return {.sending = partner->sending, .unread = partner->unread, .unsentText = partner->unsentText};
}

void MsnConversations::MarkRead(MsnConversation& conversation) {
  {
    std::lock_guard lock(mutex_);
    std::lock_guard conversationLock(conversation.mutex_);
    if (!conversation.OneToOne()) conversation.unread_ = false;
    UpdatePartner(conversation, [](MsnContact& contact) { contact.unread = false; });
  }
  Refresh();
}

std::u16string MsnConversations::UnsentText(const MsnConversation& conversation) const {
  if (!conversation.OneToOne()) return conversation.unsentText_;
  const auto partner = Partner(conversation);
  return partner ? partner->unsentText : std::u16string();
}

void MsnConversations::SetUnsentText(MsnConversation& conversation, std::u16string text) {
  std::lock_guard lock(mutex_);
  std::lock_guard conversationLock(conversation.mutex_);
  const uint32_t now = platform::Ticks();
  if (conversation.OneToOne()) {
    UpdatePartner(conversation, [&](MsnContact& contact) { contact.SetUnsentText(std::move(text), now); });
    return;
  }
  if (!text.empty()) MarkActive(conversation, now);
  conversation.unsentText_ = std::move(text);
}

void MsnConversations::MarkActive(MsnConversation& conversation, uint32_t now) {
  if (!conversation.OneToOne()) {
    conversation.activity_ = true;
    conversation.activityTime_ = now;
  }
  UpdatePartner(conversation, [now](MsnContact& contact) {
    contact.activity = true;
    contact.activityTime = now;
  });
}

void MsnConversations::MarkAttempt(MsnConversation& conversation) {
  SetSending(conversation, true);
  ++conversation.attempts_;
  MarkActive(conversation, platform::Ticks());
  application_.PostEventDelayed(
      timings_.sendTimeoutMs,
      core::MakeEvent(core::EventCode::MsnSendTimeout,
                      MsnSendTimeoutEvent{.conversation = conversation.NameLocked(),
                                          .attempt = conversation.attempts_,
                                          .target = conversation.weak_from_this()}));
}

int MsnConversations::GetSwitchboard(MsnConversation& conversation) {
  const int id = manager_->RequestSwitchboard();
  if (id == 0) {
    conversation.waiting_ = true;
  } else {
    conversation.switchboards_.push_back(id);
  }
  return id;
}

void MsnConversations::Call(MsnConnection& switchboard, std::u16string_view email) {
  switchboard.Send(MsnCommand::Outgoing("CAL " + std::to_string(switchboard.NextTransactionId()) + ' ' + Ansi(email)));
}

void MsnConversations::CallPartner(MsnConversation& conversation, MsnConnection& switchboard, int id) {
  if (!conversation.OneToOne() || conversation.participants_.empty()) return;
  MsnParticipant& partner = conversation.participants_.front();
  if (partner.called.contains(id)) return;
  partner.called[id] = platform::Ticks();
  Call(switchboard, partner.email);
}

bool MsnConversations::CallInvitations(MsnConversation& conversation, MsnConnection& switchboard) {
  const uint32_t now = platform::Ticks();
  bool called = false;
  for (const auto& [email, expiry] : conversation.invitations_) {
    if (static_cast<int32_t>(expiry - now) <= 0) continue;
    Call(switchboard, email);
    called = true;
  }
  conversation.invitations_.clear();
  return called;
}

void MsnConversations::PostText(MsnConversation& conversation, const std::shared_ptr<MsnConnection>& switchboard,
                                int id) {
  if (!switchboard) return;
  const int transactionId = switchboard->NextTransactionId();
  conversation.pendingAcks_[id].insert(transactionId);
  application_.PostEvent(core::MakeEvent(core::EventCode::MsnSendText,
                                         MsnSendTextEvent{.connection = switchboard,
                                                          .transactionId = transactionId,
                                                          .ack = 'A',
                                                          .text = UnsentText(conversation)}));
}

bool MsnConversations::SendText(MsnConversation& conversation) {
  std::lock_guard lock(mutex_);
  std::lock_guard conversationLock(conversation.mutex_);
  if (!manager_->LoggedIn() || Sending(conversation)) return false;
  if (conversation.OneToOne()) {
    const auto partner = Partner(conversation);
    if (!partner || partner->status == -1) return false;
  }
  if (conversation.waiting_ || (conversation.switchboards_.empty() && GetSwitchboard(conversation) == 0)) {
    MarkAttempt(conversation);
    return true;
  }
  const int id = *Current(conversation);
  const auto switchboard = manager_->Switchboard(id);
  if (!switchboard) return false;
  if (conversation.NobodyJoined(id)) {
    CallPartner(conversation, *switchboard, id);  // the text follows its JOI
  } else {
    PostText(conversation, switchboard, id);
  }
  MarkAttempt(conversation);
  return true;
}

void MsnConversations::NotifyTyping(MsnConversation& conversation, bool hasText) {
  std::lock_guard lock(mutex_);
  std::lock_guard conversationLock(conversation.mutex_);
  const uint32_t now = platform::Ticks();
  if (conversation.waiting_ || !hasText || !manager_->LoggedIn()) return;
  if (conversation.lastTypingSent_ && now - *conversation.lastTypingSent_ < timings_.typingSpacingMs) return;
  MarkActive(conversation, now);
  if (conversation.switchboards_.empty() && GetSwitchboard(conversation) == 0) return;
  const int id = *Current(conversation);
  const auto switchboard = manager_->Switchboard(id);
  if (!switchboard) return;
  if (conversation.NobodyJoined(id)) {
    CallPartner(conversation, *switchboard, id);
    return;
  }
  conversation.lastTypingSent_ = now;
  if (application_.GetSettings()->Values().typingNotifications) {
    switchboard->Send(TypingMessage(switchboard->NextTransactionId(), Ansi(accountEmail_)));
  }
}

void MsnConversations::Invite(MsnConversation& conversation, const std::u16string& email) {
  std::lock_guard lock(mutex_);
  std::lock_guard conversationLock(conversation.mutex_);
  // Signed out, it would leave the conversation waiting for a switchboard that nobody asked for.
  if (!manager_->LoggedIn()) return;
  if (!conversation.switchboards_.empty()) {
    if (const auto switchboard = manager_->Switchboard(*Current(conversation))) {
      Call(*switchboard, email);
      return;
    }
  }
  conversation.invitations_.emplace_back(email, platform::Ticks() + timings_.invitationExpiryMs);
  if (conversation.waiting_) return;
  if (const int id = GetSwitchboard(conversation); id != 0) {
    if (const auto switchboard = manager_->Switchboard(id)) CallInvitations(conversation, *switchboard);
  }
}

// A switchboard entered with USR joins the pool, and every pooled one goes to the first
// conversation waiting for one.
void MsnConversations::OnSwitchboardReady(int id, int transactionId) {
  if (!manager_->ConfirmSwitchboard(id, transactionId)) return;
  std::lock_guard lock(mutex_);
  for (const int pooled : manager_->PooledSwitchboards()) {
    for (const auto& conversation : conversations_) {
      std::lock_guard conversationLock(conversation->mutex_);
      if (!conversation->waiting_) continue;
      if (!manager_->TakePooledSwitchboard(pooled)) break;
      conversation->switchboards_.push_back(pooled);
      conversation->waiting_ = false;
      const auto switchboard = manager_->Switchboard(pooled);
      if (!switchboard) break;
      if (Sending(*conversation)) {
        CallPartner(*conversation, *switchboard, pooled);
      } else if (CallInvitations(*conversation, *switchboard)) {
        CallPartner(*conversation, *switchboard, pooled);
      }
      break;
    }
  }
}

void MsnConversations::OnAcknowledged(int id, int transactionId, bool delivered) {
  std::lock_guard lock(mutex_);
  const auto conversation = Attached(id);
  if (!conversation) return;
  std::lock_guard conversationLock(conversation->mutex_);
  const auto pending = conversation->pendingAcks_.find(id);
  if (pending == conversation->pendingAcks_.end() || pending->second.erase(transactionId) == 0) return;
  // A refused message is left to its time-out, which reports it.
  if (!delivered) return;
  application_.PostEvent(core::MakeEvent(core::EventCode::MsnTextDelivered,
                                         MsnTextDeliveredEvent{.switchboard = id,
                                                               .conversation = conversation,
                                                               .time = core::LocalNow(),
                                                               .text = UnsentText(*conversation)}));
}

void MsnConversations::OnEvent(const core::AppEvent& event) {
  switch (event.Code()) {
    case core::EventCode::MsnSendText:
      if (const auto* send = core::PayloadOf<MsnSendTextEvent>(event); send && send->connection) {
        if (send->connection->IsRunning())
          send->connection->Send(TextMessage(send->transactionId, send->ack, send->text));
      }
      break;
    case core::EventCode::MsnSendTimeout:
      if (const auto* timeout = core::PayloadOf<MsnSendTimeoutEvent>(event)) OnSendTimeout(*timeout);
      break;
    case core::EventCode::MsnTextDelivered:
      if (const auto* delivered = core::PayloadOf<MsnTextDeliveredEvent>(event)) OnTextDelivered(*delivered);
      break;
    case core::EventCode::MsnTextReceived:
      if (const auto* received = core::PayloadOf<MsnTextReceivedEvent>(event)) OnTextReceived(*received);
      break;
    default: break;
  }
}

void MsnConversations::OnSendTimeout(const MsnSendTimeoutEvent& timeout) {
  std::shared_ptr<MsnConversation> conversation = timeout.target.lock();
  if (!conversation) return;
  std::u16string name;
  {
    std::lock_guard lock(mutex_);
    std::lock_guard conversationLock(conversation->mutex_);
    if (!Sending(*conversation) || conversation->attempts_ != timeout.attempt) return;
    SetSending(*conversation, false);
    // A switchboard that never came is asked for again with the next message.
    conversation->waiting_ = false;
    name = conversation->NameLocked();
  }
  application_.PostEvent(core::MakeEvent(core::EventCode::MsnSendFailed, MsnSendFailedEvent{name}));
}

void MsnConversations::OnTextDelivered(const MsnTextDeliveredEvent& delivered) {
  const auto& conversation = delivered.conversation;
  if (!conversation) return;
  std::shared_ptr<core::Conversation> history;
  {
    std::lock_guard lock(mutex_);
    std::lock_guard conversationLock(conversation->mutex_);
    SetSending(*conversation, false);
    if (!conversation->OneToOne()) conversation->unsentText_.clear();
    UpdatePartner(*conversation, [](MsnContact& contact) { contact.unsentText.clear(); });
    history = conversation->history_;
  }
  application_.History().Append(history, delivered.time, accountEmail_, delivered.text);
  Refresh();
}

}  // namespace quelt::msn
