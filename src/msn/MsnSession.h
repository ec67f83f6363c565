#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/ApplicationServices.h"
#include "core/EventListener.h"
#include "msn/MsnConnectionManager.h"
#include "msn/MsnContactList.h"
#include "msn/MsnConversations.h"
#include "msn/MsnListService.h"
#include "msn/MsnTimings.h"
#include "resources/SmileySet.h"

namespace quelt::core {
class Application;
}

namespace quelt::msn {

// The MSN account: its connection manager, the login conversation on each new notification
// connection (VER, CVR, USR with the Passport exchange, then SYN), the user's presence choice,
// the server's sign-out, and the conversations on switchboards. Commands are handled on the hub
// thread, one event at a time.
class MsnSession final : public core::ProtocolSession,
                         public core::EventListener,
                         public std::enable_shared_from_this<MsnSession> {
 public:
  [[nodiscard]] static std::shared_ptr<MsnSession> Create(core::Application& application, std::u16string email,
                                                          MsnTimings timings = {});
  ~MsnSession() override;

  // core::ProtocolSession
  void Start() override;
  void Stop() override;
  void Disconnect() override { SetStatus(-1); }
  void Shutdown() override { Stop(); }
  void OnNetworkLost() override {}
  [[nodiscard]] int32_t Presence() const override { return manager_->DesiredStatus(); }
  [[nodiscard]] bool WaitUntilEnded(uint32_t timeoutMs) override;

  // core::EventListener
  void OnEvent(const core::AppEventPtr& event) override;

  // The user's presence choice (SetMsnStatus): -1 goes offline; anything else signs in.
  void SetStatus(int32_t status);

  [[nodiscard]] const std::u16string& Email() const { return email_; }
  [[nodiscard]] MsnConnectionManager& Manager() { return *manager_; }
  // The contacts and groups, and the edits and searches the windows ask for.
  [[nodiscard]] MsnContactList& Contacts() { return *contacts_; }
  [[nodiscard]] MsnListService& Lists() { return *lists_; }
  // The conversations: the chat window's one-to-one chat with a contact, and every open one.
  [[nodiscard]] MsnConversations& Conversations() { return *conversations_; }
  // ILN, NLN and FLN: a known contact's presence and friendly name (empty keeps the name).
  void SetContactPresence(int32_t status, std::u16string_view email, std::u16string_view friendlyName);
  // The smileys of MSN_SMILE_SOURCE, loading since the session was made.
  [[nodiscard]] const std::shared_ptr<resources::SmileySet>& Smileys() const { return smileys_; }

 private:
  MsnSession(core::Application& application, std::u16string email, MsnTimings timings);

  void OnCommand(const MsnCommandEvent& received);
  void OnAnyConnection(const MsnCommandEvent& received);
  void StartPassport(const std::shared_ptr<MsnConnection>& connection, std::string policy);
  void OnSignedOut(const std::string& reason);
  void AnswerChallenge(const std::shared_ptr<MsnConnection>& connection, const std::string& challenge);
  void SendInitialPresence(const std::shared_ptr<MsnConnection>& connection);
  void GoOffline();
  void ExpireActivity();
  [[nodiscard]] std::string Account() const;
  void JoinPassportThreads();

  core::Application& application_;
  const std::u16string email_;
  const MsnTimings timings_;
  std::shared_ptr<MsnConnectionManager> manager_;
  std::shared_ptr<resources::SmileySet> smileys_;
  std::shared_ptr<MsnContactList> contacts_;
  std::unique_ptr<MsnListService> lists_;
  std::shared_ptr<MsnConversations> conversations_;

  std::mutex mutex_;  // the Passport threads and the stop flag
  struct PassportThread {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  std::vector<PassportThread> passportThreads_;
  bool stopping_ = false;
  // Shared with the Passport threads, which hold nothing of the session.
  const std::shared_ptr<std::atomic<bool>> cancelPassport_ = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace quelt::msn
