#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/Conversation.h"
#include "platform/Event.h"

namespace quelt::msn {

class MsnConversations;

// A contact in a conversation and where it is present.
struct MsnParticipant {
  std::u16string email;
  uint32_t typingTime = 0;      // tick of its last typing notice; 0 when not typing
  std::set<int> joined;         // switchboards it is on
  std::map<int, uint32_t> called;  // switchboard to the tick of the CAL sent there
};

// A chat with one contact, or with several over a switchboard. Shared by the session's list and
// the chat window; the window's calls go to the session, which keeps the protocol state here.
// Every field is guarded by the conversation's lock, which is taken after the session's.
class MsnConversation final : public std::enable_shared_from_this<MsnConversation> {
 public:
  MsnConversation(std::weak_ptr<MsnConversations> owner, std::shared_ptr<core::Conversation> history,
                  uint32_t typingExpiryMs);
  ~MsnConversation();
  MsnConversation(const MsnConversation&) = delete;
  MsnConversation& operator=(const MsnConversation&) = delete;

  // The chat window's operations (user-interface thread).
  // Sends the unsent text; false when not signed in, while a message is on its way, or when
  // the only participant is offline.
  bool SendText();
  // Tells the participants that the user is typing (at most every few seconds, never without text).
  void NotifyTyping(bool hasText);
  // Calls a contact in; nothing while signed out.
  void Invite(const std::u16string& email);
  // Forgets the switchboards and participants; the session lets go of the conversation.
  void Close();
  // The text in the input field.
  void SetUnsentText(std::u16string text);
  // The chat window has shown what arrived.
  void MarkRead();

  // The contact's e-mail for a one-to-one conversation, the generated name of a multi-party one.
  [[nodiscard]] std::u16string Name() const;
  [[nodiscard]] bool IsMultiParty() const;
  [[nodiscard]] std::vector<MsnParticipant> Participants() const;
  [[nodiscard]] std::vector<int> SwitchboardIds() const;
  // The history the messages are written to: the contact's, or the multi-party log.
  [[nodiscard]] std::shared_ptr<core::Conversation> History() const;
  // The chat's marks. A one-to-one conversation (one that never grew) keeps them on its contact,
  // so that they survive the conversation; one that grew keeps its own, whoever is left in it.
  [[nodiscard]] bool Sending() const;
  [[nodiscard]] std::u16string UnsentText() const;
  [[nodiscard]] bool Unread() const;
  [[nodiscard]] bool Waiting() const;

 private:
  friend class MsnConversations;

  // Ends the typing thread and waits for it (unless called on it).
  void StopTypingThread();
  void StartTypingThread();
  void WakeTypingThread() { typingEvent_->Set(); }
  static void RunTypingExpiry(std::weak_ptr<MsnConversation> self, std::shared_ptr<platform::Event> typing,
                              std::shared_ptr<platform::Event> stop);
  // One pass of the expiry, under the lock: the participants whose notice lapsed and how long
  // until the next lapses (none when nobody types).
  struct Expiry {
    std::vector<std::u16string> lapsed;
    bool oneToOne = true;
    std::optional<uint32_t> nextMs;
  };
  Expiry ExpireTyping(uint32_t now);

  // With mutex_ held.
  MsnParticipant* Find(std::u16string_view email);
  [[nodiscard]] std::u16string NameLocked() const;
  [[nodiscard]] bool NobodyJoined(int switchboard) const;
  [[nodiscard]] bool OneToOne() const { return !multiParty_; }

  const std::weak_ptr<MsnConversations> owner_;
  const uint32_t typingExpiryMs_;

  mutable std::mutex mutex_;
  std::u16string name_;  // empty until multi-party
  bool multiParty_ = false;
  std::vector<int> switchboards_;  // attach order
  std::vector<MsnParticipant> participants_;
  bool waiting_ = false;
  uint32_t attempts_ = 0;
  // The marks of a conversation that grew; a one-to-one conversation keeps them on its contact.
  bool sending_ = false;
  std::u16string unsentText_;
  bool unread_ = false;
  bool activity_ = false;
  uint32_t activityTime_ = 0;
  std::optional<uint32_t> lastTypingSent_;
  std::vector<std::pair<std::u16string, uint32_t>> invitations_;  // e-mail, expiry tick
  std::map<int, std::set<int>> pendingAcks_;  // switchboard to transaction ids
  std::shared_ptr<core::Conversation> history_;

  const std::shared_ptr<platform::Event> typingEvent_ =
      std::make_shared<platform::Event>(platform::Event::Mode::AutoReset);
  const std::shared_ptr<platform::Event> stopEvent_ =
      std::make_shared<platform::Event>(platform::Event::Mode::ManualReset);
  std::mutex threadMutex_;  // the thread handle
  std::thread typingThread_;
};

}  // namespace quelt::msn
