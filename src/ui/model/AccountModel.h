#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::core {
class AppEvent;
class Conversation;
}
namespace quelt::resources {
class SmileySet;
}

namespace quelt::ui {

enum class Protocol { Icq, Msn };

// ICQ: what the user keeps for one contact.
struct ContactOptions {
  bool showStatus = true;      // while clear, the contact counts as offline for the filter
  int32_t codePage = -1;       // for its 8-bit text; -1: the program's
  bool preferUnicode = false;  // Unicode wherever the contact reads it
  bool operator==(const ContactOptions&) const = default;
};

// A contact as the windows see it, copied under its session's lock.
struct ContactEntry {
  Protocol protocol = Protocol::Icq;
  std::u16string id;           // the selection key: an ICQ number or an MSN e-mail address
  std::u16string displayName;  // may be empty
  int32_t presence = -1;       // the ICQ status word or the MSN presence number; -1 offline
  // The four marks of a contact row.
  bool openChat = false;  // a chat window shows it
  bool unread = false;    // an incoming message waits to be read
  bool typing = false;
  bool asksAuthorization = false;  // asked the user for authorization, unanswered
  // For the menus.
  ContactOptions options;              // ICQ
  bool awaitingAuthorization = false;  // ICQ: the user's own request waits for the contact
  bool onServerList = false;           // ICQ: has a server entry; MSN: on the forward list
  bool blocked = false;                // MSN: on the block list
  uint16_t groupId = 0;                // ICQ: its server group; 0 for none

  bool operator==(const ContactEntry&) const = default;
};

struct GroupEntry {
  uint16_t id = 0;
  std::u16string name;
  bool operator==(const GroupEntry&) const = default;
};

// Someone in a chat.
struct ParticipantEntry {
  std::u16string id;
  std::u16string displayName;
  bool typing = false;
  bool operator==(const ParticipantEntry&) const = default;
};

// A conversation with several participants, which has a row of its own in the contact list.
struct ConversationEntry {
  std::u16string id;  // its generated name
  std::vector<ParticipantEntry> participants;
  bool openChat = false;
  bool unread = false;
  bool operator==(const ConversationEntry&) const = default;
};

// One conversation as a chat window sees it: one contact (ICQ, MSN one-to-one) or several (an
// MSN multi-party chat). The window's thread calls it; the session does the work.
class ChatModel {
 public:
  enum class SendResult { Sent, CantSend, NotNow };

  virtual ~ChatModel() = default;
  [[nodiscard]] virtual Protocol Service() const = 0;
  // The contact's identifier, or the multi-party conversation's name.
  [[nodiscard]] virtual std::u16string Id() const = 0;
  [[nodiscard]] virtual std::vector<ParticipantEntry> Participants() const = 0;
  // Where its messages are kept, for paging through the application's history.
  [[nodiscard]] virtual std::shared_ptr<core::Conversation> History() const = 0;
  // The service's smiley set, possibly still loading.
  [[nodiscard]] virtual std::shared_ptr<resources::SmileySet> Smileys() const = 0;

  // CantSend: the text cannot be written for this contact (ICQ); NotNow: not signed in, or a
  // message is still on its way.
  [[nodiscard]] virtual SendResult Send(std::u16string text) = 0;
  [[nodiscard]] virtual bool CanSend() const = 0;
  // A message of this chat is on its way and holds the next one back.
  [[nodiscard]] virtual bool Sending() const = 0;
  // The user's typing state, as the entry area changes; nothing goes out unless the settings
  // ask for typing notifications.
  virtual void NotifyTyping(bool typing) = 0;
  // The entry text kept for the next time the chat opens.
  [[nodiscard]] virtual std::u16string UnsentText() const = 0;
  virtual void SetUnsentText(std::u16string text) = 0;
  // The window has shown what arrived.
  virtual void MarkRead() = 0;
  // The event says that a message of this chat could not be delivered.
  [[nodiscard]] virtual bool IsSendFailure(const core::AppEvent& event) const = 0;
  // Calls a contact into the chat (MSN); false when the service has no such thing.
  virtual bool Invite(const std::u16string& contactId) = 0;
  // The window closes: the contact no longer shows an open chat; an MSN chat leaves its
  // switchboards.
  virtual void Close() = 0;
};

// One service's account as the windows see it. Reads copy under the session's lock; the
// operations are the menus' and return false when they cannot be done now (signed out, an
// unknown contact, or nothing of the kind in this service).
class AccountModel {
 public:
  virtual ~AccountModel() = default;
  [[nodiscard]] virtual Protocol Service() const = 0;
  [[nodiscard]] virtual bool SignedIn() const = 0;
  [[nodiscard]] virtual std::vector<ContactEntry> Contacts() const = 0;
  [[nodiscard]] virtual std::vector<GroupEntry> Groups() const = 0;
  // The multi-party conversations, in the session's order (none for ICQ).
  [[nodiscard]] virtual std::vector<ConversationEntry> Conversations() const = 0;
  // The chat with a contact or a multi-party conversation; null for an unknown one. While a window
  // holds it (until Close), the contact or conversation shows an open chat.
  [[nodiscard]] virtual std::shared_ptr<ChatModel> OpenChat(std::u16string_view id) = 0;

  virtual bool SetShowStatus(std::u16string_view id, bool show) = 0;
  virtual bool Authorize(std::u16string_view id) = 0;
  virtual bool RequestAuthorization(std::u16string_view id) = 0;
  virtual bool AddToList(std::u16string_view id) = 0;
  virtual bool MoveToGroup(std::u16string_view id, uint16_t groupId) = 0;
  virtual bool Delete(std::u16string_view id) = 0;
  virtual bool Block(std::u16string_view id) = 0;
  virtual bool Unblock(std::u16string_view id) = 0;
  virtual bool RefreshList() = 0;
  // ICQ: asks the server for a contact's details, which arrive as IcqUserInfoReceived carrying
  // the id returned; 0 when they cannot be asked for now (signed out, not a number, MSN).
  virtual uint32_t RequestInfo(std::u16string_view /*id*/) { return 0; }
  // Looks a user up: ICQ a number in the directory, the results arriving as IcqSearchResult;
  // MSN an address, the answer arriving as MsnSearchFound or MsnSearchNotFound. Both carry the
  // id returned; 0 when it cannot be asked now (or, MSN, the address is the user's own or
  // already a contact).
  virtual uint32_t Search(std::u16string_view /*id*/) { return 0; }
  // ICQ: puts a user who is not on the list into a server group.
  virtual bool AddToGroup(std::u16string_view /*id*/, uint16_t /*groupId*/) { return false; }
  // ICQ: stores the contact's options with the list at once.
  virtual bool SetOptions(std::u16string_view /*id*/, const ContactOptions& /*options*/) { return false; }
};

}  // namespace quelt::ui
