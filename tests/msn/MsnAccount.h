#pragma once

// One signed-in MSN account for conversation tests, with its notification, switchboard and
// Passport fixtures on loopback.
#include <gtest/gtest.h>

#include "msn/MsnSessionFixture.h"
#include "support/MsnSwitchboardServer.h"

namespace quelt::msn {

using test::MsnSwitchboardServer;

inline const std::string kAlice = "alice@example.com", kBob = "bob@example.com", kCarol = "carol@example.com";

// One signed-in account: its notification server (which grants switchboards on `switchboards`
// unless told not to), its Passport server and its messenger. `contacts` are on every list.
class Account {
 public:
  Account(MsnSwitchboardServer& switchboards, const std::string& email, const std::vector<std::string>& contacts,
          const std::function<void(MsnTimings&)>& adjust = {}, bool grant = true)
      : server(MakeScript(switchboards, email, contacts, grant)) {
    passport.SetAccount(email, "secret", "t=" + email);
    peer.timings.switchboardIdleMs = 60000;
    if (adjust) adjust(peer.timings);
    peer.Start(server, passport, email, "secret");
    peer.SetStatus(1);
  }

  // Generous: two Passport sign-ins over TLS under a sanitizer take a while.
  [[nodiscard]] bool SignedIn() { return peer.ui->WaitFor(EventCode::MsnOwnStatus, std::chrono::seconds(30)); }
  // The contact comes online, as the server would say.
  [[nodiscard]] bool Online(const std::string& contact) {
    return server.Send("NLN NLN " + contact + " " + contact + " 0") &&
           Eventually([&] { return Contact(contact).status != -1; });
  }
  MsnSession& Session() { return peer.Session(); }
  MsnContact Contact(const std::string& email) {
    return Session().Contacts().FindByEmail(platform::Utf8ToUtf16(email)).value_or(MsnContact{});
  }
  std::shared_ptr<MsnConversation> Open(const std::string& email) {
    return Session().Conversations().Open(platform::Utf8ToUtf16(email));
  }
  bool Send(MsnConversation& chat, std::u16string text) {
    chat.SetUnsentText(std::move(text));
    return chat.SendText();
  }
  // Newest first, as the history gives them: (sender position, text).
  std::vector<std::pair<int, std::u16string>> History(const MsnConversation& chat) {
    std::vector<std::pair<int, std::u16string>> messages;
    if (const auto history = chat.History()) {
      for (const auto& message : peer.application->History().ReadPage(*history, 0).value_or(std::vector<core::HistoryMessage>{}))
        messages.emplace_back(message.sender, message.text);
    }
    return messages;
  }

  MsnServer server;
  PassportServer passport;
  MsnPeer peer;

 private:
  static MsnServer::Script MakeScript(MsnSwitchboardServer& switchboards, const std::string& email,
                                      const std::vector<std::string>& contacts, bool grant) {
    MsnServer::Script script;
    script.email = email;
    script.ticket = "t=" + email;
    script.synReply = "1 1 " + std::to_string(contacts.size()) + " 0";
    for (const auto& contact : contacts) script.listLines.push_back("LST N=" + contact + " F=" + contact + " C=g-" + contact + " 11");
    if (grant) script.switchboard = [&switchboards](const std::string& who) { return switchboards.Grant(who); };
    return script;
  }
};


inline void ExpectNoViolations(const MsnSwitchboardServer& switchboards, const std::vector<Account*>& accounts) {
  for (const auto& violation : switchboards.Violations()) ADD_FAILURE() << "switchboard: " << violation;
  for (Account* account : accounts) {
    for (const auto& violation : account->server.Violations()) ADD_FAILURE() << "notification: " << violation;
  }
}

}  // namespace quelt::msn
