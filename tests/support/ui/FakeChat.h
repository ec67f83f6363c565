#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/AppEvent.h"
#include "core/Conversation.h"
#include "core/HistoryStore.h"
#include "resources/SmileySet.h"
#include "ui/model/AccountModel.h"

namespace quelt::test {

// A conversation held in memory with a real history in `folder`: what the window asks of it is
// recorded, and the test plays the other side and the network. Main thread.
class FakeChat final : public ui::ChatModel {
 public:
  FakeChat(ui::Protocol kind, const std::filesystem::path& folder, std::vector<ui::ParticipantEntry> people)
      : service(kind), participants(std::move(people)) {
    std::vector<std::u16string> ids = {u"me"};
    for (const auto& participant : participants) ids.push_back(participant.id);
    conversation = std::make_shared<core::Conversation>(folder, u"me", ids, participants.size() > 1 ? u"MULTI" : u"");
  }

  [[nodiscard]] ui::Protocol Service() const override { return service; }
  [[nodiscard]] std::u16string Id() const override { return participants.front().id; }
  [[nodiscard]] std::vector<ui::ParticipantEntry> Participants() const override { return participants; }
  [[nodiscard]] std::shared_ptr<core::Conversation> History() const override { return conversation; }
  [[nodiscard]] std::shared_ptr<resources::SmileySet> Smileys() const override { return smileys; }

  [[nodiscard]] SendResult Send(std::u16string text) override {
    sent.push_back(text);
    if (result != SendResult::Sent) return result;
    if (holdSends) {
      sending = true;
    } else {
      Store(u"", text);
    }
    return result;
  }
  [[nodiscard]] bool CanSend() const override { return canSend; }
  [[nodiscard]] bool Sending() const override { return sending; }
  void NotifyTyping(bool typing) override { typingCalls.push_back(typing); }
  [[nodiscard]] std::u16string UnsentText() const override { return unsent; }
  void SetUnsentText(std::u16string text) override { unsent = std::move(text); }
  void MarkRead() override { ++reads; }
  [[nodiscard]] bool IsSendFailure(const core::AppEvent& event) const override {
    return event.Code() == core::EventCode::MsnSendFailed || event.Code() == core::EventCode::IcqMessageNotConfirmed;
  }
  bool Invite(const std::u16string& id) override {
    invited.push_back(id);
    return true;
  }
  void Close() override { closed = true; }

  // A message in the history, from the account (empty id) or a participant.
  void Store(std::u16string_view sender, std::u16string_view text) {
    (void)core::AppendMessage(*conversation, {2024, 5, 6, 7, 8, 9}, sender, text);
  }
  // The held message arrived (or not) at the other side.
  void FinishSend(bool delivered) {
    sending = false;
    if (!delivered) return;
    Store(u"", unsent);
    unsent.clear();
  }

  const ui::Protocol service;
  std::vector<ui::ParticipantEntry> participants;
  std::shared_ptr<core::Conversation> conversation;
  std::shared_ptr<resources::SmileySet> smileys;
  SendResult result = SendResult::Sent;
  bool holdSends = false;  // as MSN does until the switchboard acknowledges
  bool canSend = true;
  bool sending = false;
  bool closed = false;
  int reads = 0;
  std::u16string unsent;
  std::vector<std::u16string> sent;
  std::vector<bool> typingCalls;
  std::vector<std::u16string> invited;
};

// A short talk with smileys, links and a line break, and a draft in the entry.
inline void AddDemoTalk(FakeChat& chat) {
  chat.Store(u"200", u"Hi! Did you see the pictures from Saturday? :)");
  chat.Store(u"", u"Not yet. Where are they?");
  chat.Store(u"200", u"Here: www.example.org/photos/saturday and a few more at http://example.net/album");
  chat.Store(u"", u"Great, thanks! ;)\r\nI'll look tonight.");
  chat.unsent = u"Looks like a lovely day";
}

}  // namespace quelt::test
