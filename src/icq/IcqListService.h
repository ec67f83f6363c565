#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "icq/IcqContactList.h"
#include "icq/IcqListAssembly.h"
#include "icq/SnacCommand.h"

namespace quelt::core {
class Application;
class Conversation;
}  // namespace quelt::core

namespace quelt::icq {

// The account's server-side list at work: loads and saves the cache, takes the list and the
// authorization traffic from the server (hub thread), sends the edits the windows ask for, keeps
// the privacy item in line with the status, and lets draft marks lapse. Thread-safe.
class IcqListService {
 public:
  struct Hooks {
    std::function<void(SnacPtr)> sendOnBos;
    std::function<bool()> isOnline;
    std::function<std::shared_ptr<core::Conversation>(const std::string& uin)> conversationWith;
  };

  IcqListService(core::Application& application, std::string uin, std::filesystem::path historyFolder, Hooks hooks);

  [[nodiscard]] IcqContactList& List() { return list_; }
  [[nodiscard]] const IcqContactList& List() const { return list_; }

  void LoadCache();
  // A command from the BOS server that concerns the list (parts, authorization traffic), received
  // on the connection with that id.
  void OnSnac(const SnacCommand& snac, uint64_t connection);

  // Edits; each sends its whole transaction and changes the local list to match. False (and
  // nothing done) while offline or when the contact or group is unknown.
  bool AddToGroup(std::string_view uin, uint16_t groupId);
  bool MoveToGroup(std::string_view uin, uint16_t groupId);
  bool Delete(std::string_view uin);
  bool RenameContact(std::string_view uin, std::u16string nickname);
  bool RenameGroup(uint16_t groupId, std::u16string name);
  bool AddToBuddyList(std::string_view uin);
  bool RequestAuthorization(std::string_view uin);
  bool Authorize(std::string_view uin);
  // Asks the server for its list unless it matches the stored date and count.
  bool Refresh();

  // What the user keeps per contact, saved with the list at once: the options and the chat's
  // unsent text. False for an unknown contact.
  bool SetShowStatus(std::string_view uin, bool show);
  bool SetOptions(std::string_view uin, bool showStatus, int32_t ansiCodePage, bool preferUnicode);
  bool SetDraft(std::string_view uin, std::u16string text, uint32_t nowTicks);

  // The privacy item for the status: value 3 while invisible, 4 otherwise; sent only when the
  // server holds a privacy item with another value.
  void SyncPrivacy(int32_t status);

  // The keep-alive's sweep; true when a mark lapsed (the view must change).
  bool ExpireDraftMarks(uint32_t nowTicks, uint32_t expiryMs) { return list_.ExpireDraftMarks(nowTicks, expiryMs); }

 private:
  void OnListPart(const SnacCommand& snac, uint64_t connection);
  void OnAuthorizationRequest(const SnacCommand& snac);
  void SendTransaction(std::vector<SnacPtr> commands);
  void ListChanged();
  // After a change of the list (false: none was made): saves it and tells the windows.
  bool Saved(bool changed);

  core::Application& application_;
  const std::string uin_;
  const std::filesystem::path historyFolder_;
  const Hooks hooks_;
  IcqContactList list_;
  std::mutex assemblyMutex_;
  IcqListAssembly assembly_;  // parts of a list still arriving
};

}  // namespace quelt::icq
