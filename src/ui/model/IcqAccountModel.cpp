#include "ui/model/IcqAccountModel.h"

#include "core/Application.h"
#include "icq/IcqEvents.h"
#include "icq/IcqSession.h"
#include "platform/Clock.h"
#include "platform/TextCodec.h"

namespace quelt::ui {
namespace {

std::string Uin(std::u16string_view id) { return platform::Utf16ToUtf8(id); }

ContactEntry EntryOf(const icq::IcqContact& contact) {
  return ContactEntry{.protocol = Protocol::Icq,
                      .id = platform::AsciiToUtf16(contact.uin),
                      .displayName = contact.nickname,
                      .presence = contact.status,
                      .unread = contact.unread,
                      .typing = contact.typing,
                      .asksAuthorization = contact.asksAuthorization,
                      .options = {.showStatus = contact.showStatus,
                                  .codePage = contact.ansiCodePage,
                                  .preferUnicode = contact.preferUnicode},
                      .awaitingAuthorization = contact.awaitingAuthorization,
                      .onServerList = contact.itemId != 0,
                      .groupId = contact.groupId};
}

}  // namespace

// A one-to-one chat with an ICQ contact.
class IcqChatModel final : public ChatModel {
 public:
  IcqChatModel(std::shared_ptr<IcqAccountModel> account, std::string uin)
      : account_(std::move(account)), uin_(std::move(uin)) {}

  [[nodiscard]] Protocol Service() const override { return Protocol::Icq; }
  [[nodiscard]] std::u16string Id() const override { return platform::AsciiToUtf16(uin_); }
  [[nodiscard]] std::vector<ParticipantEntry> Participants() const override {
    const auto contact = List().Find(uin_);
    return {ParticipantEntry{.id = Id(), .displayName = contact ? contact->nickname : u"", .typing = contact && contact->typing}};
  }
  [[nodiscard]] std::shared_ptr<core::Conversation> History() const override { return Session().ConversationWith(uin_); }
  [[nodiscard]] std::shared_ptr<resources::SmileySet> Smileys() const override { return Session().Smileys(); }

  [[nodiscard]] SendResult Send(std::u16string text) override {
    switch (Session().Messaging().SendMessage(uin_, text).result) {
      case icq::IcqMessaging::SendResult::Sent: return SendResult::Sent;
      case icq::IcqMessaging::SendResult::CantSend: return SendResult::CantSend;
      case icq::IcqMessaging::SendResult::Offline: return SendResult::NotNow;
    }
    return SendResult::NotNow;
  }
  [[nodiscard]] bool CanSend() const override { return Session().IsOnline(); }
  // Each message goes at once; its outcome comes by its cookie and holds nothing back.
  [[nodiscard]] bool Sending() const override { return false; }
  void NotifyTyping(bool typing) override {
    if (Session().App().GetSettings()->Values().typingNotifications) (void)Session().Messaging().SendTyping(uin_, typing);
  }
  [[nodiscard]] std::u16string UnsentText() const override {
    const auto contact = List().Find(uin_);
    return contact ? contact->draft : std::u16string();
  }
  void SetUnsentText(std::u16string text) override {
    (void)Session().ContactList().SetDraft(uin_, std::move(text), platform::Ticks());
  }
  void MarkRead() override {
    bool changed = false;
    List().Update(uin_, [&](icq::IcqContact& contact) { changed = std::exchange(contact.unread, false); });
    if (changed) Session().App().PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
  }
  [[nodiscard]] bool IsSendFailure(const core::AppEvent& event) const override {
    const auto* failed = event.Code() == core::EventCode::IcqMessageNotConfirmed
                             ? core::PayloadOf<icq::IcqDeliveryEvent>(event)
                             : nullptr;
    return failed && failed->uin == uin_;
  }
  bool Invite(const std::u16string&) override { return false; }
  void Close() override { account_->chats_.Remove(this); }

 private:
  [[nodiscard]] icq::IcqSession& Session() const { return *account_->session_; }
  [[nodiscard]] icq::IcqContactList& List() const { return Session().ContactList().List(); }

  const std::shared_ptr<IcqAccountModel> account_;
  const std::string uin_;
};

bool IcqAccountModel::SignedIn() const { return session_->IsOnline(); }

std::vector<ContactEntry> IcqAccountModel::Contacts() const {
  std::vector<ContactEntry> entries;
  for (const icq::IcqContact& contact : session_->ContactList().List().Contacts()) {
    entries.push_back(EntryOf(contact));
    entries.back().openChat = chats_.IsOpen(entries.back().id);
  }
  return entries;
}

std::vector<GroupEntry> IcqAccountModel::Groups() const {
  std::vector<GroupEntry> groups;
  for (const icq::IcqGroup& group : session_->ContactList().List().Groups()) groups.push_back({group.id, group.name});
  return groups;
}

std::shared_ptr<ChatModel> IcqAccountModel::OpenChat(std::u16string_view id) {
  if (auto open = chats_.Find(id)) return open;
  if (!session_->ContactList().List().Find(Uin(id))) return nullptr;
  auto chat = std::make_shared<IcqChatModel>(shared_from_this(), Uin(id));
  chats_.Add(chat);
  session_->App().PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
  return chat;
}

bool IcqAccountModel::SetShowStatus(std::u16string_view id, bool show) {
  return session_->ContactList().SetShowStatus(Uin(id), show);
}

bool IcqAccountModel::SetOptions(std::u16string_view id, const ContactOptions& options) {
  return session_->ContactList().SetOptions(Uin(id), options.showStatus, options.codePage, options.preferUnicode);
}

bool IcqAccountModel::Authorize(std::u16string_view id) { return session_->ContactList().Authorize(Uin(id)); }

bool IcqAccountModel::RequestAuthorization(std::u16string_view id) {
  return session_->ContactList().RequestAuthorization(Uin(id));
}

bool IcqAccountModel::AddToList(std::u16string_view id) { return session_->ContactList().AddToBuddyList(Uin(id)); }

bool IcqAccountModel::MoveToGroup(std::u16string_view id, uint16_t groupId) {
  const auto contact = session_->ContactList().List().Find(Uin(id));
  if (!contact) return false;
  return contact->groupId == 0 ? session_->ContactList().AddToGroup(Uin(id), groupId)
                               : session_->ContactList().MoveToGroup(Uin(id), groupId);
}

bool IcqAccountModel::Delete(std::u16string_view id) { return session_->ContactList().Delete(Uin(id)); }

bool IcqAccountModel::RefreshList() { return session_->ContactList().Refresh(); }

uint32_t IcqAccountModel::RequestInfo(std::u16string_view id) {
  const auto uin = platform::ParseDecimal<uint32_t>(id);
  return uin && *uin != 0 ? session_->Directory().RequestInfo(*uin) : 0;
}

uint32_t IcqAccountModel::Search(std::u16string_view id) {
  const auto uin = platform::ParseDecimal<uint32_t>(id);
  return uin && *uin != 0 ? session_->Directory().SearchByUin(*uin) : 0;
}

bool IcqAccountModel::AddToGroup(std::u16string_view id, uint16_t groupId) {
  return session_->ContactList().AddToGroup(Uin(id), groupId);
}

}  // namespace quelt::ui
