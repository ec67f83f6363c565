#pragma once

#include <memory>

#include "ui/model/AccountModel.h"
#include "ui/model/OpenChats.h"

namespace quelt::icq {
class IcqSession;
}

namespace quelt::ui {

// The ICQ account through the windows' eyes: the contacts of the server list and the chats with
// them, one per contact.
class IcqAccountModel final : public AccountModel, public std::enable_shared_from_this<IcqAccountModel> {
 public:
  explicit IcqAccountModel(std::shared_ptr<icq::IcqSession> session) : session_(std::move(session)) {}

  [[nodiscard]] Protocol Service() const override { return Protocol::Icq; }
  [[nodiscard]] bool SignedIn() const override;
  [[nodiscard]] std::vector<ContactEntry> Contacts() const override;
  [[nodiscard]] std::vector<GroupEntry> Groups() const override;
  [[nodiscard]] std::vector<ConversationEntry> Conversations() const override { return {}; }
  [[nodiscard]] std::shared_ptr<ChatModel> OpenChat(std::u16string_view id) override;

  bool SetShowStatus(std::u16string_view id, bool show) override;
  bool Authorize(std::u16string_view id) override;
  bool RequestAuthorization(std::u16string_view id) override;
  bool AddToList(std::u16string_view id) override;
  bool MoveToGroup(std::u16string_view id, uint16_t groupId) override;
  bool Delete(std::u16string_view id) override;
  bool Block(std::u16string_view) override { return false; }
  bool Unblock(std::u16string_view) override { return false; }
  bool RefreshList() override;
  uint32_t RequestInfo(std::u16string_view id) override;
  uint32_t Search(std::u16string_view id) override;
  bool AddToGroup(std::u16string_view id, uint16_t groupId) override;
  bool SetOptions(std::u16string_view id, const ContactOptions& options) override;

 private:
  friend class IcqChatModel;

  const std::shared_ptr<icq::IcqSession> session_;
  OpenChats chats_;
};

}  // namespace quelt::ui
