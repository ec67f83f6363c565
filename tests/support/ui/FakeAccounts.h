#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/TextCodec.h"
#include "ui/model/AccountModels.h"
#include "ui/windows/WindowOpener.h"

namespace quelt::test {

// An account held in memory, for the windows: its contacts are what the test puts there, and
// every operation asked of it is recorded as "<operation> <id>". Main thread.
class FakeAccount final : public ui::AccountModel {
 public:
  explicit FakeAccount(ui::Protocol kind) : service(kind) {}

  [[nodiscard]] ui::Protocol Service() const override { return service; }
  [[nodiscard]] bool SignedIn() const override { return signedIn; }
  [[nodiscard]] std::vector<ui::ContactEntry> Contacts() const override { return contacts; }
  [[nodiscard]] std::vector<ui::GroupEntry> Groups() const override { return groups; }
  [[nodiscard]] std::vector<ui::ConversationEntry> Conversations() const override { return conversations; }
  [[nodiscard]] std::shared_ptr<ui::ChatModel> OpenChat(std::u16string_view) override { return nullptr; }

  bool SetShowStatus(std::u16string_view id, bool show) override {
    for (auto& contact : contacts) {
      if (contact.id == id) contact.options.showStatus = show;
    }
    return Record(show ? "show_status" : "hide_status", id);
  }
  bool SetOptions(std::u16string_view id, const ui::ContactOptions& options) override {
    for (auto& contact : contacts) {
      if (contact.id == id) contact.options = options;
    }
    return Record("options", id);
  }
  bool Authorize(std::u16string_view id) override { return Record("authorize", id); }
  bool RequestAuthorization(std::u16string_view id) override { return Record("request_auth", id); }
  bool AddToList(std::u16string_view id) override { return Record("add_to_list", id); }
  bool MoveToGroup(std::u16string_view id, uint16_t group) override {
    return Record("move_to_group_" + std::to_string(group), id);
  }
  bool Delete(std::u16string_view id) override { return Record("delete", id); }
  bool Block(std::u16string_view id) override { return Record("block", id); }
  bool Unblock(std::u16string_view id) override { return Record("unblock", id); }
  bool RefreshList() override { return Record("refresh", u""); }
  uint32_t RequestInfo(std::u16string_view id) override {
    Record("info", id);
    return infoRequest;
  }

  ui::ContactEntry& Add(ui::ContactEntry contact) {
    contact.protocol = service;
    contacts.push_back(std::move(contact));
    return contacts.back();
  }

  const ui::Protocol service;
  bool signedIn = true;
  std::vector<ui::ContactEntry> contacts;
  std::vector<ui::GroupEntry> groups;
  std::vector<ui::ConversationEntry> conversations;
  std::vector<std::string> calls;
  uint32_t infoRequest = 0;  // what RequestInfo returns

 private:
  bool Record(const std::string& operation, std::u16string_view id) {
    calls.push_back(id.empty() ? operation : operation + " " + platform::Utf16ToUtf8(id));
    return true;
  }
};

class FakeAccounts final : public ui::AccountSource {
 public:
  [[nodiscard]] std::vector<std::shared_ptr<ui::AccountModel>> Accounts() override { return {icq, msn}; }
  const std::shared_ptr<FakeAccount> icq = std::make_shared<FakeAccount>(ui::Protocol::Icq);
  const std::shared_ptr<FakeAccount> msn = std::make_shared<FakeAccount>(ui::Protocol::Msn);
};

// Records the screens the contact list asks for, as "chat <id>", "info <id>", "search icq",
// "dialog <n>".
class RecordingOpener final : public ui::WindowOpener {
 public:
  void OpenChat(const std::shared_ptr<ui::AccountModel>&, const std::u16string& id) override { Add("chat", id); }
  void OpenInfo(const std::shared_ptr<ui::AccountModel>&, const std::u16string& id) override { Add("info", id); }
  void OpenContactSettings(const std::shared_ptr<ui::AccountModel>&, const std::u16string& id) override {
    Add("options", id);
  }
  void OpenSearch(ui::Protocol service) override {
    opened.push_back(service == ui::Protocol::Icq ? "search icq" : "search msn");
  }
  void OpenDialog(Dialog dialog) override { opened.push_back("dialog " + std::to_string(static_cast<int>(dialog))); }

  std::vector<std::string> opened;

 private:
  void Add(const char* what, const std::u16string& id) {
    opened.push_back(std::string(what) + " " + platform::Utf16ToUtf8(id));
  }
};

}  // namespace quelt::test
