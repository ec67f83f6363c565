#include "msn/MsnConversations.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "core/Application.h"
#include "core/HistoryStore.h"
#include "msn/MsnMessagePayload.h"
#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/TextCodec.h"

namespace quelt::msn {
namespace {

// 32 upper-case hexadecimal digits in groups of 8-4-4-4-12, from a fresh random number.
std::u16string NewConversationName() {
  std::random_device device;
  std::mt19937_64 generator((uint64_t(device()) << 32) ^ device());
  const uint64_t high = generator(), low = generator();
  char text[37];
  std::snprintf(text, sizeof text, "%08X-%04X-%04X-%04X-%012llX", unsigned(high >> 32), unsigned(high >> 16) & 0xFFFF,
                unsigned(high) & 0xFFFF, unsigned(low >> 48), static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
  return platform::AsciiToUtf16(text);
}

}  // namespace

MsnConversations::MsnConversations(Context context)
    : application_(context.application),
      manager_(std::move(context.manager)),
      contacts_(std::move(context.contacts)),
      accountEmail_(std::move(context.accountEmail)),
      timings_(std::move(context.timings)),
      adopt_(std::move(context.adopt)) {}

MsnConversations::~MsnConversations() { CloseAll(); }

std::string MsnConversations::Ansi(std::u16string_view text) const {
  return platform::EncodeCodePage(text, application_.TextCodePage()).bytes;
}

std::filesystem::path MsnConversations::HistoryFolder() const {
  return platform::Utf16ToUtf8(application_.GetSettings()->Values().historyFolder);
}

void MsnConversations::Refresh() const { application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh)); }

std::shared_ptr<MsnConversation> MsnConversations::Open(std::u16string_view email) {
  if (!contacts_->FindByEmail(email)) return nullptr;
  std::lock_guard lock(mutex_);
  for (const auto& conversation : conversations_) {
    std::lock_guard conversationLock(conversation->mutex_);
    if (conversation->OneToOne() && conversation->participants_.size() == 1 &&
        conversation->participants_.front().email == email) {
      return conversation;
    }
  }
  return Make({MsnParticipant{.email = std::u16string(email)}});
}

std::vector<std::shared_ptr<MsnConversation>> MsnConversations::List() const {
  std::lock_guard lock(mutex_);
  return conversations_;
}

// With mutex_ held. A one-to-one conversation's history is the contact's.
std::shared_ptr<MsnConversation> MsnConversations::Make(std::vector<MsnParticipant> participants, int switchboard) {
  std::shared_ptr<core::Conversation> history;
  if (participants.size() == 1) {
    history = std::make_shared<core::Conversation>(
        HistoryFolder(), accountEmail_, std::vector<std::u16string>{accountEmail_, participants.front().email}, u"");
  }
  auto conversation = std::make_shared<MsnConversation>(weak_from_this(), history, timings_.typingExpiryMs);
  {
    std::lock_guard conversationLock(conversation->mutex_);
    conversation->participants_ = std::move(participants);
    if (switchboard != 0) conversation->switchboards_.push_back(switchboard);
    if (conversation->participants_.size() > 1) BecomeMultiParty(*conversation, false);
  }
  conversations_.push_back(conversation);
  return conversation;
}

void MsnConversations::BecomeMultiParty(MsnConversation& conversation, bool grown) {
  if (conversation.multiParty_) return;
  const std::u16string& first = conversation.participants_.front().email;
  contacts_->Update(first, [&](MsnContact& contact) {
    contact.typing = false;
    // A message on its way in the one-to-one chat is now the conversation's to finish.
    if (!grown) return;
    conversation.sending_ = std::exchange(contact.sending, false);
    if (conversation.sending_) conversation.unsentText_ = contact.unsentText;
  });
  conversation.participants_.front().typingTime = 0;
  conversation.multiParty_ = true;
  if (conversation.name_.empty()) conversation.name_ = NewConversationName();
  std::vector<std::u16string> members{accountEmail_};
  for (const MsnParticipant& participant : conversation.participants_) members.push_back(participant.email);
  conversation.history_ =
      std::make_shared<core::Conversation>(HistoryFolder(), accountEmail_, std::move(members), conversation.name_);
}

std::shared_ptr<MsnConversation> MsnConversations::Attached(int id) const {
  for (const auto& conversation : conversations_) {
    std::lock_guard conversationLock(conversation->mutex_);
    const auto& ids = conversation->switchboards_;
    if (std::find(ids.begin(), ids.end(), id) != ids.end()) return conversation;
  }
  return nullptr;
}

void MsnConversations::Remove(const std::shared_ptr<MsnConversation>& conversation, Conversations& removed) {
  const auto found = std::find(conversations_.begin(), conversations_.end(), conversation);
  if (found == conversations_.end()) return;
  conversations_.erase(found);
  removed.push_back(conversation);
}

void MsnConversations::EndTypingThreads(const Conversations& removed) {
  for (const auto& conversation : removed) conversation->StopTypingThread();
}

void MsnConversations::Close(MsnConversation& conversation) {
  Conversations removed;
  {
    std::lock_guard lock(mutex_);
    {
      std::lock_guard conversationLock(conversation.mutex_);
      // A message still on its way would otherwise keep the contact "sending" for good.
      if (conversation.OneToOne()) SetSending(conversation, false);
      // Left, not just forgotten: a switchboard still open would take the others' messages and
      // acknowledge them, though nobody reads them any more.
      for (const int id : conversation.switchboards_) manager_->LeaveSwitchboard(id);
      conversation.switchboards_.clear();
      conversation.participants_.clear();
      conversation.pendingAcks_.clear();
      conversation.invitations_.clear();
      conversation.waiting_ = false;
      if (conversation.multiParty_) conversation.history_.reset();
    }
    Remove(conversation.shared_from_this(), removed);
  }
  EndTypingThreads(removed);
  conversation.StopTypingThread();
}

void MsnConversations::CloseAll() {
  Conversations removed;
  {
    std::lock_guard lock(mutex_);
    removed.swap(conversations_);
    invitations_.clear();
  }
  EndTypingThreads(removed);
}

void MsnConversations::OnCommand(const MsnCommand& command, const std::shared_ptr<MsnConnection>& connection) {
  const int id = connection->Id();
  if (!connection->IsSwitchboard()) {
    if (const auto* granted = command.As<XfrSbFields>()) manager_->OpenSwitchboard(granted->address, granted->cookie);
    if (const auto* rng = command.As<RngFields>()) OnInvited(*rng);
    return;
  }
  switch (command.Kind()) {
    case MsnCommandKind::UsrOkSb: OnSwitchboardReady(id, command.TransactionId()); break;
    case MsnCommandKind::Iro:
      if (const auto* iro = command.As<IroFields>()) {
        std::lock_guard lock(mutex_);
        const auto invitation = invitations_.find(id);
        if (invitation != invitations_.end()) invitation->second.participants.push_back(iro->email);
      }
      break;
    case MsnCommandKind::Ans: OnInvitationAnswered(id); break;
    case MsnCommandKind::Joi:
      if (const auto* joi = command.As<JoiFields>()) OnJoined(id, joi->email);
      break;
    case MsnCommandKind::Bye:
      if (const auto* bye = command.As<ByeFields>()) OnLeft(id, bye->email);
      break;
    case MsnCommandKind::Msg: OnMessage(command, id); break;
    case MsnCommandKind::Ack: OnAcknowledged(id, command.TransactionId(), true); break;
    case MsnCommandKind::Nak: OnAcknowledged(id, command.TransactionId(), false); break;
    default: break;
  }
}

void MsnConversations::OnInvited(const RngFields& rng) {
  const int id = manager_->OpenInvitedSwitchboard(rng.address, rng.sessionId, rng.cookie);
  std::lock_guard lock(mutex_);
  invitations_[id] = PendingInvitation{.switchboard = id};
}

void MsnConversations::Adopt(std::u16string_view email) {
  if (!contacts_->FindByEmail(email)) {
    MsnContact contact;
    contact.email = email;
    contact.friendlyName = email;
    contacts_->Add(std::move(contact));
  }
  if (adopt_) adopt_(email);
}

void MsnConversations::OnInvitationAnswered(int id) {
  {
    std::lock_guard lock(mutex_);
    const auto found = invitations_.find(id);
    if (found == invitations_.end()) return;
    const std::vector<std::u16string> emails = std::move(found->second.participants);
    invitations_.erase(found);
    if (emails.empty()) return;
    if (emails.size() == 1) {
      // A stranger alone is not let in.
      if (!contacts_->FindByEmail(emails.front())) return;
      bool attached = false;
      for (const auto& conversation : conversations_) {
        std::lock_guard conversationLock(conversation->mutex_);
        MsnParticipant* partner = conversation->OneToOne() ? conversation->Find(emails.front()) : nullptr;
        if (!partner) continue;
        conversation->switchboards_.push_back(id);
        partner->joined.insert(id);
        partner->called.erase(id);
        attached = true;
        break;
      }
      if (!attached) Make({MsnParticipant{.email = emails.front(), .joined = {id}}}, id);
    } else {
      std::vector<MsnParticipant> participants;
      for (const auto& email : emails) {
        Adopt(email);
        participants.push_back(MsnParticipant{.email = email, .joined = {id}});
      }
      Make(std::move(participants), id);
    }
  }
  Refresh();
}

void MsnConversations::OnJoined(int id, const std::u16string& email) {
  std::lock_guard lock(mutex_);
  const auto conversation = Attached(id);
  if (!conversation) return;
  std::lock_guard conversationLock(conversation->mutex_);
  if (MsnParticipant* participant = conversation->Find(email)) {
    participant->joined.insert(id);
    participant->called.erase(id);
  } else {
    Adopt(email);
    conversation->participants_.push_back(MsnParticipant{.email = email, .joined = {id}});
    if (conversation->participants_.size() == 2) {
      BecomeMultiParty(*conversation, true);
    } else if (conversation->history_) {
      conversation->history_->AddParticipant(email);
    }
  }
  if (conversation->OneToOne() && Sending(*conversation)) PostText(*conversation, manager_->Switchboard(id), id);
  Refresh();
}

void MsnConversations::OnLeft(int id, const std::u16string& email) {
  Conversations removed;
  {
    std::lock_guard lock(mutex_);
    const auto conversation = Attached(id);
    if (!conversation) return;
    bool ended = false;
    {
      std::lock_guard conversationLock(conversation->mutex_);
      if (MsnParticipant* participant = conversation->Find(email)) {
        participant->joined.erase(id);
        participant->called.erase(id);
        participant->typingTime = 0;
        // Nothing else would clear the flag once the notice's time is gone.
        if (conversation->OneToOne()) contacts_->Update(email, [](MsnContact& contact) { contact.typing = false; });
      }
      if (conversation->multiParty_) {
        ended = conversation->NobodyJoined(id);
      }
    }
    if (ended) {
      Remove(conversation, removed);
      manager_->CloseSwitchboard(id);
    }
  }
  EndTypingThreads(removed);
  Refresh();
}

void MsnConversations::OnMessage(const MsnCommand& command, int id) {
  const auto* fields = command.As<MsgFields>();
  if (!fields || !contacts_->FindByEmail(fields->sender)) return;
  std::lock_guard lock(mutex_);
  const auto conversation = Attached(id);
  if (!conversation) return;
  const MsnPayload payload = ReadMsnPayload(command.Extra());
  if (payload.kind == MsnPayload::Kind::Text) {
    application_.PostEvent(core::MakeEvent(
        core::EventCode::MsnTextReceived,
        MsnTextReceivedEvent{.switchboard = id, .sender = fields->sender, .text = payload.text, .conversation = conversation}));
    return;
  }
  if (payload.kind != MsnPayload::Kind::Typing) return;
  bool oneToOne = false;
  {
    std::lock_guard conversationLock(conversation->mutex_);
    MsnParticipant* participant = conversation->Find(fields->sender);
    if (!participant) return;
    participant->typingTime = std::max<uint32_t>(platform::Ticks(), 1);
    oneToOne = conversation->OneToOne();
  }
  conversation->StartTypingThread();
  conversation->WakeTypingThread();
  // A multi-party chat shows its typists itself; the contact list's mark is for one-to-one chats.
  if (oneToOne) contacts_->Update(fields->sender, [](MsnContact& contact) { contact.typing = true; });
  Refresh();
}

void MsnConversations::OnTypingLapsed(const std::vector<std::u16string>& emails, bool oneToOne) {
  if (oneToOne) {
    for (const auto& email : emails) contacts_->Update(email, [](MsnContact& contact) { contact.typing = false; });
  }
  Refresh();
}

void MsnConversations::OnTextReceived(const MsnTextReceivedEvent& received) {
  const auto& conversation = received.conversation;
  if (!conversation) return;
  std::shared_ptr<core::Conversation> history;
  {
    std::lock_guard lock(mutex_);
    std::lock_guard conversationLock(conversation->mutex_);
    if (MsnParticipant* participant = conversation->Find(received.sender)) participant->typingTime = 0;
    const uint32_t now = platform::Ticks();
    if (conversation->OneToOne()) {
      contacts_->Update(received.sender, [&](MsnContact& contact) {
        contact.typing = false;
        contact.unread = true;
        contact.activity = true;
        contact.activityTime = now;
      });
    } else {
      conversation->unread_ = true;
      conversation->activity_ = true;
      conversation->activityTime_ = now;
    }
    history = conversation->history_;
  }
  application_.History().Append(history, core::LocalNow(), received.sender, received.text);
  const auto values = application_.GetSettings()->Values();
  if (const auto& notifier = application_.Services().notifier) {
    if (values.sound) notifier->PlaySound(application_.Environment().programFolder / "Sounds" / "MSN_Message.wav");
    if (values.vibro) notifier->Vibrate(values.vibroCount);
  }
  Refresh();
}

void MsnConversations::ForgetSwitchboard(MsnConversation& conversation, int id) {
  std::erase(conversation.switchboards_, id);
  conversation.pendingAcks_.erase(id);
  for (MsnParticipant& participant : conversation.participants_) {
    participant.joined.erase(id);
    participant.called.erase(id);
  }
}

void MsnConversations::OnSwitchboardClosed(int id) {
  Conversations removed;
  {
    std::lock_guard lock(mutex_);
    invitations_.erase(id);
    const auto conversation = Attached(id);
    if (!conversation) return;
    bool multiParty = false;
    {
      std::lock_guard conversationLock(conversation->mutex_);
      ForgetSwitchboard(*conversation, id);
      multiParty = conversation->multiParty_;
    }
    if (multiParty) Remove(conversation, removed);
  }
  EndTypingThreads(removed);
  Refresh();
}

void MsnConversations::GoOffline() {
  Conversations removed;
  {
    std::lock_guard lock(mutex_);
    invitations_.clear();
    for (const auto& conversation : Conversations(conversations_)) {
      std::lock_guard conversationLock(conversation->mutex_);
      if (conversation->multiParty_) {
        Remove(conversation, removed);
        continue;
      }
      SetSending(*conversation, false);
      // Waiting for a switchboard of the old connection would hold every later message back.
      conversation->waiting_ = false;
      conversation->switchboards_.clear();
      conversation->pendingAcks_.clear();
      conversation->invitations_.clear();
      for (MsnParticipant& participant : conversation->participants_) {
        participant.joined.clear();
        participant.called.clear();
        participant.typingTime = 0;
      }
    }
  }
  EndTypingThreads(removed);
}

void MsnConversations::OnContactOffline(std::u16string_view email) {
  std::lock_guard lock(mutex_);
  for (const auto& conversation : conversations_) {
    std::lock_guard conversationLock(conversation->mutex_);
    if (conversation->multiParty_) {
      std::erase_if(conversation->participants_,
                    [email](const MsnParticipant& participant) { return participant.email == email; });
    }
  }
}

void MsnConversations::OnContactRemoved(std::u16string_view email) {
  std::shared_ptr<MsnConversation> gone;
  {
    std::lock_guard lock(mutex_);
    for (const auto& conversation : conversations_) {
      std::lock_guard conversationLock(conversation->mutex_);
      if (conversation->OneToOne() && conversation->Find(email)) gone = conversation;
    }
  }
  if (gone) Close(*gone);
}

}  // namespace quelt::msn
