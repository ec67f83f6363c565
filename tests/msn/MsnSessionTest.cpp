// The MSN session against the scripted notification server and the HTTPS Passport server on
// loopback: the login conversation, redirects, Passport failures, sign-out, lost networks and
// the keep-alive.
#include <gtest/gtest.h>

#include <atomic>

#include "MsnSessionFixture.h"
#include "platform/Clock.h"

namespace quelt::msn {
namespace {

using core::EventCode;
using test::MsnServer;
using test::PassportServer;

// Longer than a back-off of the quick timings: what has not happened by then does not come.
constexpr auto kShortWait = std::chrono::milliseconds(300);

bool HasTicketUsr(const MsnServer::Log& log) {
  return std::any_of(log.lines.begin(), log.lines.end(),
                     [](const auto& line) { return line.text.find(" TWN S ") != std::string::npos; });
}

class MsnSessionTest : public MsnSessionFixture {
 protected:
  // Starts alice's application; Passport knows her by the password "secret".
  void StartAlice(MsnServer& server, PassportServer& passport, const std::string& password = "secret",
                  const std::string& extraConfig = "") {
    passport.SetAccount("alice@example.com", "secret", "t=ticket123&p=profile456");
    Start(server, passport, "alice@example.com", password, extraConfig);
  }
  // Signs alice in online and waits for her list synchronisation.
  void LogIn(MsnServer& server) {
    StartAlice(server, passport_);
    SetStatus(1);
    ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("SYN") == 1; }));
  }

  PassportServer passport_;
};

TEST_F(MsnSessionTest, TheLoginRunsFromVerToThePresenceWithTheAccountEncoded) {
  const std::string email = "a.b+c@example.com";
  const std::string password = "p,w'd x";
  MsnServer server({.email = email, .password = password});
  passport_.SetAccount(email, password, "t=ticket123&p=profile456");
  // Whoever is told of the presence may ask whether the account is signed in.
  std::atomic<bool> loggedInWhenTold{false};
  ui_->OnEach([&](const core::AppEventPtr& event) {
    if (event->Code() == EventCode::MsnOwnStatus) loggedInWhenTold = Session().Manager().LoggedIn();
  });
  Start(server, passport_, email, password);
  SetStatus(1);
  ASSERT_TRUE(ui_->WaitFor(EventCode::MsnOwnStatus));
  EXPECT_TRUE(loggedInWhenTold);
  ui_->OnEach(nullptr);
  EXPECT_EQ(
      LinesOf(server.Snapshot(), 1),
      (std::vector<std::string>{
          "VER 1 MSNP10 MSNP9 CVR0", "CVR 2 0x0409 winnt 5.1 i386 MSNMSGR 6.2.0205 MSMSGS a.b%2bc@example.com",
          "USR 3 TWN I a.b%2bc@example.com", "USR 4 TWN S t=ticket123&p=profile456", "SYN 5 0 0", "CHG 6 NLN 1"}));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();

  const auto requests = passport_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].path, "/rdr/pprdr.asp");
  EXPECT_FALSE(requests[0].Header("Authorization"));
  const auto authorization = requests[1].Header("Authorization").value_or("");
  EXPECT_NE(authorization.find(",sign-in=a.b+c%40example.com,pwd=p%2cw%27d%20x,lc=1033,"), std::string::npos)
      << authorization;
  EXPECT_EQ(ui_->Last<std::u16string>(), u"Signing in…");  // the latest progress text
}

TEST_F(MsnSessionTest, ARedirectKeepsItsAddressAndAFreshConnectUsesTheDefault) {
  MsnServer server({.redirectFirst = MsnServer::RedirectAt::Ver});
  LogIn(server);
  auto log = server.Snapshot();
  ASSERT_EQ(log.connections.size(), 2u);
  EXPECT_TRUE(log.connections[0].redirected);
  EXPECT_EQ(log.connections[1].listener, MsnServer::Listener::Redirect);
  EXPECT_EQ(log.LinesOf(2).front(), "VER 1 MSNP10 MSNP9 CVR0");  // ids start again

  SetStatus(-1);
  ASSERT_TRUE(core_->WaitFor(EventCode::MsnDisconnected, 2));  // the redirect gave the first
  SetStatus(1);
  ASSERT_TRUE(server.WaitFor([](const auto& now) { return now.Count("SYN") == 2; }));
  log = server.Snapshot();
  EXPECT_EQ(log.connections.back().listener, MsnServer::Listener::Main);
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST_F(MsnSessionTest, APassportFailureSendsNoTicket) {
  struct Case {
    const char* name;
    PassportServer::Certificate certificate;
    std::string password;  // the one the session is configured with
  } cases[] = {{"wrong password (401)", PassportServer::Certificate::Trusted, "wrong"},
               {"untrusted certificate", PassportServer::Certificate::OtherCa, "secret"},
               {"certificate for another host", PassportServer::Certificate::WrongHost, "secret"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MsnServer server;
    PassportServer passport(c.certificate);
    StartAlice(server, passport, c.password);
    SetStatus(1);
    ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("USR") == 1; }));
    if (c.certificate == PassportServer::Certificate::Trusted) {
      ASSERT_TRUE(passport.WaitForRequests(2, std::chrono::seconds(10)));
    } else {
      ASSERT_TRUE(passport.WaitForAbandonedConnections(1, std::chrono::seconds(10)));
      EXPECT_TRUE(passport.Requests().empty());  // the password never left
    }
    EXPECT_FALSE(server.WaitFor(HasTicketUsr, kShortWait));
    application_.reset();
  }
}

// Saved, then read at the next start: a password in the configured code page but not in the ANSI
// one must still sign in.
TEST_F(MsnSessionTest, APasswordOutsideTheAnsiCodePageSignsInAfterARestart) {
  const std::u16string password = u"\u043F\u0430\u0440\u043E\u043B\u044C";
  const std::string bytes = platform::EncodeCodePage(password, 1251).bytes;
  MsnServer server({.password = bytes});
  passport_.SetAccount("alice@example.com", bytes, "t=ticket123&p=profile456");
  Start(server, passport_, "alice@example.com", "", "CODE_PAGE=1251\r\n");
  auto settings = application_->GetSettings();
  settings->Update([&](core::SettingsValues& values) { values.msnPassword = password; });
  ASSERT_TRUE(settings->Save());
  application_.reset();
  peer_.Launch();
  SetStatus(1);
  ASSERT_TRUE(ui_->WaitFor(EventCode::MsnOwnStatus));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST_F(MsnSessionTest, ALoginServerRedirectIsFollowedWithTheAuthorizationSentAgain) {
  MsnServer server;
  passport_.RedirectLogins("https://127.0.0.1:" + std::to_string(passport_.AlternatePort()) + "/login2.srf");
  LogIn(server);
  const auto requests = passport_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[2].port, passport_.AlternatePort());
  EXPECT_EQ(requests[1].Header("Authorization"), requests[2].Header("Authorization"));
}

TEST_F(MsnSessionTest, TheServerSignsTheAccountOut) {
  struct Case {
    std::string reason;
    std::u16string message;
  } cases[] = {{"", u"You were disconnected"},
               {"OTH", u"You were disconnected.\r\nReason: signed in from another place"}};
  size_t round = 0;
  for (const auto& c : cases) {
    MsnServer server;
    LogIn(server);
    ASSERT_TRUE(server.SendOut(c.reason));
    ASSERT_TRUE(core_->WaitFor(EventCode::MsnDisconnected, ++round));
    EXPECT_EQ(application_->TakeUserMessage(), c.message);
    EXPECT_EQ(Session().Presence(), -1);
    // Signed out, it stays out.
    EXPECT_FALSE(server.WaitFor([](const auto& log) { return log.Count("VER") > 1; }, kShortWait));
    application_.reset();
  }
}

// Servers say their last words and hang up at once. Each start must hear them: the redirect
// followed at once, and the account kept offline after a sign-out.
TEST_F(MsnSessionTest, WhatTheServerSaysJustBeforeItHangsUpIsHeard) {
  peer_.timings.reconnect.backoffStepMs = 60000;  // a word lost would show as a wait here, not as a quiet retry
  for (int round = 1; round <= 50; ++round) {
    SCOPED_TRACE(round);
    const bool elsewhere = round % 2 == 0;
    MsnServer server({.redirectFirst = MsnServer::RedirectAt::Ver, .closeAfterRedirect = true});
    LogIn(server);
    EXPECT_EQ(server.Snapshot().connections.size(), 2u);
    ASSERT_TRUE(server.SendOut(elsewhere ? "OTH" : "", true));
    // The first connection's end (after its redirect) is the first disconnection of the round.
    ASSERT_TRUE(core_->WaitFor(EventCode::MsnDisconnected, size_t(2 * round)));
    EXPECT_EQ(Session().Presence(), -1);
    EXPECT_EQ(application_->TakeUserMessage(),
              elsewhere ? u"You were disconnected.\r\nReason: signed in from another place" : u"You were disconnected");
    application_.reset();
  }
}

TEST_F(MsnSessionTest, ALostNetworkOrConnectionEndsTheLoginAndItLogsInAgain) {
  MsnServer server;
  LogIn(server);
  watcher_->OnStatus(*application_, 0x21);  // the machine's connection is gone
  ASSERT_TRUE(core_->WaitFor(EventCode::MsnDisconnected));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("SYN") == 2; }));
  ASSERT_TRUE(server.Drop());  // and now the server closes, so the manager backs off and returns
  ASSERT_TRUE(core_->WaitFor(EventCode::MsnDisconnected, 2));
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("SYN") == 3; }));
  EXPECT_EQ(server.Snapshot().LinesOf(3).front(), "VER 1 MSNP10 MSNP9 CVR0");
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST_F(MsnSessionTest, TheConfirmedPresenceStartsThePingAndLaterChoicesGoOutAtOnce) {
  MsnServer server;
  StartAlice(server, passport_);
  SetStatus(5);
  ASSERT_TRUE(ui_->WaitFor(EventCode::MsnOwnStatus));
  EXPECT_EQ(ui_->Last<int32_t>(), 5);
  EXPECT_TRUE(ui_->WaitFor(EventCode::MsnLoggedIn));
  EXPECT_EQ(LinesOf(server.Snapshot(), 1).at(5), "CHG 6 AWY 1");
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("PNG") >= 2; }));

  SetStatus(5);  // the current status again: nothing
  SetStatus(2);
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("CHG") == 2; }));
  EXPECT_NE(test::ReadFile(folder_ / "Messenger.config").find("MSN_AUTO_STATUS=2\r\n"), std::string::npos);
  SetStatus(-1);  // offline sends no CHG and keeps the last online status
  ASSERT_TRUE(core_->WaitFor(EventCode::MsnDisconnected));
  EXPECT_EQ(server.Snapshot().Count("CHG"), 2);
  EXPECT_NE(test::ReadFile(folder_ / "Messenger.config").find("MSN_AUTO_STATUS=2\r\n"), std::string::npos);
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST_F(MsnSessionTest, AutoConnectSignsInWithTheSavedStatusAndIdleSwitchboardsAreClosed) {
  MsnServer server;
  StartAlice(server, passport_, "secret", "AUTO_CONNECT=True\r\nMSN_AUTO_STATUS=3\r\n");
  application_->PostAutoConnect();
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("SYN") == 1; }));
  EXPECT_EQ(Session().Presence(), 3);

  // A switchboard that carries nothing is closed by the keep-alive once it has been quiet too long.
  auto& manager = Session().Manager();
  const int id = manager.OpenSwitchboard("127.0.0.1:" + std::to_string(server.RedirectPort()), "cookie");
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(MsnServer::Listener::Redirect) == 1; }));
  EXPECT_TRUE(Eventually([&] { return manager.Switchboard(id) == nullptr; }));
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return !log.connections.back().open; }));

  // So is a contact's mark of recent activity.
  MsnContact contact{.email = u"bob@example.com"};
  contact.SetUnsentText(u"half a thought", platform::Ticks());
  ASSERT_TRUE(Session().Contacts().Add(contact));
  EXPECT_TRUE(Eventually([&] { return !Session().Contacts().FindByEmail(u"bob@example.com")->activity; }));
}

}  // namespace
}  // namespace quelt::msn
