#include "ui/model/MsnAccountModel.h"

#include "core/Application.h"
#include "msn/MsnConversationEvents.h"
#include "msn/MsnSession.h"

namespace quelt::ui {

// A chat on switchboards: with one contact, or with several once it grew.
class MsnChatModel final : public ChatModel {
 public:
  MsnChatModel(std::shared_ptr<MsnAccountModel> account, std::shared_ptr<msn::MsnConversation> conversation)
      : account_(std::move(account)), conversation_(std::move(conversation)) {}

  [[nodiscard]] Protocol Service() const override { return Protocol::Msn; }
  [[nodiscard]] std::u16string Id() const override { return conversation_->Name(); }
  [[nodiscard]] std::vector<ParticipantEntry> Participants() const override {
    std::vector<ParticipantEntry> entries;
    for (const msn::MsnParticipant& participant : conversation_->Participants()) {
      entries.push_back({participant.email, account_->DisplayName(participant.email), participant.typingTime != 0});
    }
    return entries;
  }
  [[nodiscard]] std::shared_ptr<core::Conversation> History() const override { return conversation_->History(); }
  [[nodiscard]] std::shared_ptr<resources::SmileySet> Smileys() const override { return account_->session_->Smileys(); }

  [[nodiscard]] SendResult Send(std::u16string text) override {
    conversation_->SetUnsentText(std::move(text));
    return conversation_->SendText() ? SendResult::Sent : SendResult::NotNow;
  }
  [[nodiscard]] bool CanSend() const override { return account_->SignedIn(); }
  [[nodiscard]] bool Sending() const override { return conversation_->Sending(); }
  // The conversation itself asks the settings, and sends nothing for a stop.
  void NotifyTyping(bool typing) override { conversation_->NotifyTyping(typing); }
  [[nodiscard]] std::u16string UnsentText() const override { return conversation_->UnsentText(); }
  void SetUnsentText(std::u16string text) override { conversation_->SetUnsentText(std::move(text)); }
  void MarkRead() override { conversation_->MarkRead(); }
  [[nodiscard]] bool IsSendFailure(const core::AppEvent& event) const override {
    const auto* failed =
        event.Code() == core::EventCode::MsnSendFailed ? core::PayloadOf<msn::MsnSendFailedEvent>(event) : nullptr;
    return failed && failed->conversation == conversation_->Name();
  }
  bool Invite(const std::u16string& contactId) override {
    conversation_->Invite(contactId);
    return true;
  }
  void Close() override {
    conversation_->Close();
    account_->chats_.Remove(this);
  }

 private:
  const std::shared_ptr<MsnAccountModel> account_;
  const std::shared_ptr<msn::MsnConversation> conversation_;
};

bool MsnAccountModel::SignedIn() const { return session_->Manager().LoggedIn(); }

std::u16string MsnAccountModel::DisplayName(const std::u16string& email) const {
  const auto contact = session_->Contacts().FindByEmail(email);
  return contact ? contact->DisplayName() : email;
}

std::vector<ContactEntry> MsnAccountModel::Contacts() const {
  std::vector<ContactEntry> entries;
  for (const msn::MsnContact& contact : session_->Contacts().Contacts()) {
    entries.push_back(ContactEntry{.protocol = Protocol::Msn,
                                   .id = contact.email,
                                   .displayName = contact.DisplayName(),
                                   .presence = contact.status,
                                   .openChat = chats_.IsOpen(contact.email),
                                   .unread = contact.unread,
                                   .typing = contact.typing,
                                   .onServerList = contact.In(msn::kForwardList),
                                   .blocked = contact.In(msn::kBlockList)});
  }
  return entries;
}

std::vector<ConversationEntry> MsnAccountModel::Conversations() const {
  std::vector<ConversationEntry> entries;
  for (const auto& conversation : session_->Conversations().List()) {
    if (!conversation->IsMultiParty()) continue;
    ConversationEntry entry{.id = conversation->Name(), .unread = conversation->Unread()};
    for (const msn::MsnParticipant& participant : conversation->Participants()) {
      entry.participants.push_back({participant.email, DisplayName(participant.email), participant.typingTime != 0});
    }
    entry.openChat = chats_.IsOpen(entry.id);
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::shared_ptr<ChatModel> MsnAccountModel::OpenChat(std::u16string_view id) {
  if (auto open = chats_.Find(id)) return open;
  std::shared_ptr<msn::MsnConversation> conversation;
  for (const auto& existing : session_->Conversations().List()) {
    if (existing->IsMultiParty() && existing->Name() == id) conversation = existing;
  }
  if (!conversation) conversation = session_->Conversations().Open(id);
  if (!conversation) return nullptr;
  auto chat = std::make_shared<MsnChatModel>(shared_from_this(), std::move(conversation));
  chats_.Add(chat);
  return chat;
}

bool MsnAccountModel::AddToList(std::u16string_view id) { return session_->Lists().AddContact(id); }

uint32_t MsnAccountModel::Search(std::u16string_view id) {
  int transactionId = 0;
  const bool sent = session_->Lists().Search(id, transactionId) == msn::MsnListService::SearchStart::Sent;
  return sent && transactionId > 0 ? uint32_t(transactionId) : 0;
}
bool MsnAccountModel::Delete(std::u16string_view id) { return session_->Lists().DeleteContact(id); }
bool MsnAccountModel::Block(std::u16string_view id) { return session_->Lists().Block(id); }
bool MsnAccountModel::Unblock(std::u16string_view id) { return session_->Lists().Unblock(id); }

}  // namespace quelt::ui
