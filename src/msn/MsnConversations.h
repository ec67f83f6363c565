#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/AppEvent.h"
#include "msn/MsnCommand.h"
#include "msn/MsnConnection.h"
#include "msn/MsnConnectionManager.h"
#include "msn/MsnContactList.h"
#include "msn/MsnConversation.h"
#include "msn/MsnConversationEvents.h"
#include "msn/MsnTimings.h"

namespace quelt::core {
class Application;
}

namespace quelt::msn {

// An invitation to a switchboard, from RNG until the server confirms the ANS: who is there.
struct PendingInvitation {
  int switchboard = 0;
  std::vector<std::u16string> participants;
};

// The session's conversations and everything they do on switchboards: getting a switchboard,
// calling contacts in, sending text and typing notices, following the roster, taking incoming
// messages and invitations. The chat window's calls come on the user-interface thread, the
// server's commands and the engine's events on the hub thread, switchboard ends on any thread;
// one lock orders them all, taken before any conversation's own.
class MsnConversations final : public std::enable_shared_from_this<MsnConversations> {
 public:
  struct Context {
    core::Application& application;
    std::shared_ptr<MsnConnectionManager> manager;
    std::shared_ptr<MsnContactList> contacts;
    std::u16string accountEmail;
    MsnTimings timings;
    // Puts someone who joined a conversation on the account's lists, as far as they are not.
    std::function<void(std::u16string_view email)> adopt;
  };

  explicit MsnConversations(Context context);
  ~MsnConversations();

  // The one-to-one conversation with a contact, made when there is none; null for an address
  // that is not a contact.
  [[nodiscard]] std::shared_ptr<MsnConversation> Open(std::u16string_view email);
  [[nodiscard]] std::vector<std::shared_ptr<MsnConversation>> List() const;

  // Hub thread: switchboard commands, and XFR SB and RNG from the notification server.
  void OnCommand(const MsnCommand& command, const std::shared_ptr<MsnConnection>& connection);
  // Hub thread: MsnTextReceived, MsnTextDelivered, MsnSendTimeout and MsnSendText.
  void OnEvent(const core::AppEvent& event);
  // Signed out: multi-party conversations end, one-to-one conversations start afresh.
  void GoOffline();
  // A contact went offline: it leaves the multi-party conversations.
  void OnContactOffline(std::u16string_view email);
  // A contact left every list: its conversation ends.
  void OnContactRemoved(std::u16string_view email);
  // Any thread: a switchboard ended.
  void OnSwitchboardClosed(int id);

  // A conversation's marks, wherever they are kept.
  struct ConversationMarks {
    bool sending = false;
    bool unread = false;
    std::u16string unsentText;
  };
  [[nodiscard]] ConversationMarks Marks(const MsnConversation& conversation) const;
  void MarkRead(MsnConversation& conversation);
  // Ends every conversation and its typing thread.
  void CloseAll();

 private:
  friend class MsnConversation;
  using Conversations = std::vector<std::shared_ptr<MsnConversation>>;

  // The conversation's operations, each under the lock.
  bool SendText(MsnConversation& conversation);
  void NotifyTyping(MsnConversation& conversation, bool hasText);
  void Invite(MsnConversation& conversation, const std::u16string& email);
  void Close(MsnConversation& conversation);
  void SetUnsentText(MsnConversation& conversation, std::u16string text);
  // The typing thread: these participants stopped typing.
  void OnTypingLapsed(const std::vector<std::u16string>& emails, bool oneToOne);

  // Hub thread, each taking the lock.
  void OnSwitchboardReady(int id, int transactionId);
  void OnInvited(const RngFields& rng);
  void OnInvitationAnswered(int id);
  void OnJoined(int id, const std::u16string& email);
  void OnLeft(int id, const std::u16string& email);
  void OnMessage(const MsnCommand& command, int id);
  void OnAcknowledged(int id, int transactionId, bool delivered);
  void OnSendTimeout(const MsnSendTimeoutEvent& timeout);
  void OnTextReceived(const MsnTextReceivedEvent& received);
  void OnTextDelivered(const MsnTextDeliveredEvent& delivered);

  // The helpers below run with mutex_ and the conversation's lock held.
  std::shared_ptr<MsnConversation> Attached(int id) const;  // mutex_ only
  std::shared_ptr<MsnConversation> Make(std::vector<MsnParticipant> participants, int switchboard = 0);
  [[nodiscard]] std::optional<int> Current(const MsnConversation& conversation) const;
  // The contact of a one-to-one conversation, which keeps its flags and unsent text; nothing
  // for a multi-party one.
  [[nodiscard]] std::optional<MsnContact> Partner(const MsnConversation& conversation) const;
  void UpdatePartner(MsnConversation& conversation, const std::function<void(MsnContact&)>& change);
  [[nodiscard]] bool Sending(const MsnConversation& conversation) const;
  void SetSending(MsnConversation& conversation, bool sending);
  [[nodiscard]] std::u16string UnsentText(const MsnConversation& conversation) const;
  void MarkActive(MsnConversation& conversation, uint32_t now);
  void MarkAttempt(MsnConversation& conversation);
  // 0 and the conversation waiting when no switchboard was ready.
  int GetSwitchboard(MsnConversation& conversation);
  void Call(MsnConnection& switchboard, std::u16string_view email);
  // Calls the partner of a one-to-one conversation unless called there already.
  void CallPartner(MsnConversation& conversation, MsnConnection& switchboard, int id);
  bool CallInvitations(MsnConversation& conversation, MsnConnection& switchboard);
  void PostText(MsnConversation& conversation, const std::shared_ptr<MsnConnection>& switchboard, int id);
  // Names the conversation and starts its multi-party log once it has two participants;
  // `grown` when it was a one-to-one chat until now.
  void BecomeMultiParty(MsnConversation& conversation, bool grown);
  // Makes a contact of someone unknown, and puts them on the lists.
  void Adopt(std::u16string_view email);
  void ForgetSwitchboard(MsnConversation& conversation, int id);
  // Out of the list (mutex_ only); the caller ends their typing threads once unlocked.
  void Remove(const std::shared_ptr<MsnConversation>& conversation, Conversations& removed);
  static void EndTypingThreads(const Conversations& removed);

  [[nodiscard]] std::string Ansi(std::u16string_view text) const;
  [[nodiscard]] std::filesystem::path HistoryFolder() const;
  void Refresh() const;

  core::Application& application_;
  const std::shared_ptr<MsnConnectionManager> manager_;
  const std::shared_ptr<MsnContactList> contacts_;
  const std::u16string accountEmail_;
  const MsnTimings timings_;
  const std::function<void(std::u16string_view)> adopt_;

  mutable std::mutex mutex_;
  Conversations conversations_;
  std::map<int, PendingInvitation> invitations_;
};

}  // namespace quelt::msn
