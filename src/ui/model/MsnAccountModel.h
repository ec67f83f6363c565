#pragma once

#include <memory>

#include "ui/model/AccountModel.h"
#include "ui/model/OpenChats.h"

namespace quelt::msn {
class MsnSession;
}

namespace quelt::ui {

// The MSN account through the windows' eyes: the contacts of the five lists, the multi-party
// conversations, and the chats on switchboards.
class MsnAccountModel final : public AccountModel, public std::enable_shared_from_this<MsnAccountModel> {
 public:
  explicit MsnAccountModel(std::shared_ptr<msn::MsnSession> session) : session_(std::move(session)) {}

  [[nodiscard]] Protocol Service() const override { return Protocol::Msn; }
  [[nodiscard]] bool SignedIn() const override;
  [[nodiscard]] std::vector<ContactEntry> Contacts() const override;
  // MSN groups are only shown, never edited: the group menu is ICQ's.
  [[nodiscard]] std::vector<GroupEntry> Groups() const override { return {}; }
  [[nodiscard]] std::vector<ConversationEntry> Conversations() const override;
  [[nodiscard]] std::shared_ptr<ChatModel> OpenChat(std::u16string_view id) override;

  bool SetShowStatus(std::u16string_view, bool) override { return false; }
  bool Authorize(std::u16string_view) override { return false; }
  bool RequestAuthorization(std::u16string_view) override { return false; }
  bool AddToList(std::u16string_view id) override;
  uint32_t Search(std::u16string_view id) override;
  bool MoveToGroup(std::u16string_view, uint16_t) override { return false; }
  bool Delete(std::u16string_view id) override;
  bool Block(std::u16string_view id) override;
  bool Unblock(std::u16string_view id) override;
  bool RefreshList() override { return false; }

 private:
  friend class MsnChatModel;

  [[nodiscard]] std::u16string DisplayName(const std::u16string& email) const;

  const std::shared_ptr<msn::MsnSession> session_;
  OpenChats chats_;
};

}  // namespace quelt::ui
