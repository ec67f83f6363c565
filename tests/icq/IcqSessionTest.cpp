// The ICQ session signing on against the scripted OSCAR server on loopback.
#include <atomic>

#include "icq/IcqSessionFixture.h"
#include "platform/TextCodec.h"
#include "support/LoopbackServer.h"
#include "support/ProxyProcess.h"

namespace quelt::icq {
namespace {

using namespace std::chrono_literals;

using IcqSessionTest = IcqSessionFixture;

TEST_F(IcqSessionTest, SignsOnThroughLoginAndBosAndCompletesStartUp) {
  OscarServer server;
  // The home-screen row counts contacts when it sees "Online": the session must say so by then.
  std::atomic<bool> onlineWhenTold{false};
  ui_->OnEach([&](const core::AppEventPtr& event) {
    const auto* text = core::PayloadOf<std::u16string>(*event);
    if (text && *text == u"Online") onlineWhenTold = Session().IsOnline();
  });
  SignIn(Host(server.LoginPort()));
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone));
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x15, 0x02) == 1; }));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
  const auto log = server.Snapshot();
  for (const auto& [family, subtype] : std::vector<std::pair<uint16_t, uint16_t>>{
           {0x01, 0x17}, {0x01, 0x08}, {0x04, 0x02}, {0x13, 0x05}, {0x13, 0x07}, {0x01, 0x1E}, {0x01, 0x02}}) {
    EXPECT_GE(log.Count(family, subtype), 1) << family << "," << subtype;
  }
  EXPECT_TRUE(Session().IsOnline());
  EXPECT_TRUE(Session().ListState().loaded);
  EXPECT_TRUE(ui_->WaitFor(EventCode::IcqProgressText, 3));
  EXPECT_EQ(ProgressTexts(), (std::vector<std::u16string>{u"Finding server…", u"Signing in…", u"Online"}));
  EXPECT_TRUE(onlineWhenTold);
  ui_->OnEach(nullptr);
  // The status chosen is remembered for the next start.
  EXPECT_NE(Config().find("ICQ_AUTO_STATUS=17\r\n"), std::string::npos);
  // Online, the session keeps the connection alive on channel 5.
  EXPECT_TRUE(server.WaitFor([](const auto& snapshot) {
    return std::count_if(snapshot.frames.begin(), snapshot.frames.end(), [](const auto& f) { return f.channel == 5; }) >= 2;
  }));
}

TEST_F(IcqSessionTest, ToleratesWhatRealServersDo) {
  // Unknown commands, extra TLVs, an extra SNAC header, the BOS on the login port, a list in parts.
  OscarServer server(OscarServer::Script{.bosOnLoginPort = true, .noise = true, .listParts = 3});
  SignIn(Host(server.LoginPort()));
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone));
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

TEST_F(IcqSessionTest, SignsOnThroughASocks5Proxy) {
  std::string error;
  auto proxy = test::ProxyProcess::StartDante(folder_.Path(), "none", error);
  ASSERT_NE(proxy, nullptr) << error;
  OscarServer server;
  SignIn(Host(server.LoginPort()),
         "ICQ_PROXY_TYPE=SOCKS5\r\nICQ_PROXY_HOST=127.0.0.1\r\nICQ_PROXY_PORT=" + std::to_string(proxy->Port()) + "\r\n");
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone)) << proxy->Output();
}

TEST_F(IcqSessionTest, RefusedLoginIsReportedAndRetried) {
  OscarServer server(OscarServer::Script{.refusalCode = 0x0018, .refusalTlv = 0x0009});
  SignIn(Host(server.LoginPort()));
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqLoginRefused));
  const auto refused = core_->Events();
  const auto it = std::find_if(refused.begin(), refused.end(),
                               [](const auto& r) { return r.event->Code() == EventCode::IcqLoginRefused; });
  EXPECT_EQ(*core::PayloadOf<uint16_t>(*it->event), 0x0018);
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count(OscarServer::Role::Login) >= 2; }));
  EXPECT_EQ(application_->TakeUserMessage(), u"The server refused the sign-in: Error 24");
  EXPECT_EQ(core_->Count(EventCode::IcqStartupDone), 0u);
}

// Saved, then read at the next start: a password in the contacts' code page but not in the ANSI
// one must still sign in.
TEST_F(IcqSessionTest, APasswordOutsideTheAnsiCodePageSignsInAfterARestart) {
  const std::u16string password = u"\u043F\u0430\u0440\u043E\u043B\u044C";
  OscarServer server(OscarServer::Script{.password = platform::EncodeCodePage(password, 1251).bytes});
  SignIn(Host(server.LoginPort()), "CODE_PAGE=1251\r\n", -1);
  auto settings = application_->GetSettings();
  settings->Update([&](core::SettingsValues& values) { values.password = password; });
  ASSERT_TRUE(settings->Save());
  application_.reset();
  Launch();
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone));
  EXPECT_EQ(core_->Count(EventCode::IcqLoginRefused), 0u);
}

TEST_F(IcqSessionTest, FailuresRotateThroughTheHostsWithAGrowingBackoff) {
  std::vector<std::unique_ptr<OscarServer>> servers;
  std::string hosts;
  for (int i = 0; i < 3; ++i) {
    servers.push_back(std::make_unique<OscarServer>(OscarServer::Script{.refusalCode = 1}));
    if (i > 0) hosts += ",";
    hosts += Host(servers.back()->LoginPort());
  }
  const auto logins = [&](size_t i) { return servers[i]->LoginConnections(); };
  const auto waitLogins = [&](size_t i, int count) {
    return servers[i]->WaitFor([count](const auto& log) { return log.Count(OscarServer::Role::Login) >= count; });
  };
  SignIn(hosts);
  ASSERT_TRUE(waitLogins(0, 1));
  const auto firstTry = std::chrono::steady_clock::now();
  ASSERT_TRUE(waitLogins(1, 1));
  EXPECT_EQ(logins(2), 0);
  ASSERT_TRUE(waitLogins(2, 1));
  ASSERT_TRUE(waitLogins(0, 2));
  EXPECT_EQ(logins(1), 1);
  // Back-offs of 100, 200 and 300 ms lay between the first and the fourth attempt.
  EXPECT_GE(std::chrono::steady_clock::now() - firstTry, 600ms);
}

TEST_F(IcqSessionTest, TheHostThatWorkedGoesFirstAndIsTriedFirstNextTime) {
  test::LoopbackServer dead([](int) {});  // accepts, then hangs up at once
  OscarServer server;
  SignIn(Host(dead.Port()) + "," + Host(server.LoginPort()));
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone));
  EXPECT_NE(Config().find("LOGINHOSTS=" + Host(server.LoginPort()) + "," + Host(dead.Port()) + "\r\n"),
            std::string::npos)
      << Config();
  ASSERT_TRUE(server.DropBos());
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone, 2));
  EXPECT_EQ(dead.Accepted(), 1);
}

TEST_F(IcqSessionTest, CachedListWithoutCheckoutSkipsTheListCheck) {
  OscarServer server;
  onCreated_ = [](IcqSession& session) { session.SetListState({.modificationDate = 1234, .itemCount = 5}); };
  SignIn(Host(server.LoginPort()), "ICQ_STARTUP_CHECKOUT=False\r\n");
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone));
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x07) == 1; }));
  EXPECT_EQ(server.Snapshot().Count(0x13, 0x05), 0);
}

TEST_F(IcqSessionTest, ServerDisconnectionLeavesTheAccountOffline) {
  timings_.reconnect.backoffStepMs = timings_.reconnect.backoffMaxMs = 50;
  OscarServer server;
  SignIn(Host(server.LoginPort()));
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone));
  ASSERT_TRUE(server.DisconnectBos(1));
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqConnectionGone));
  EXPECT_EQ(application_->TakeUserMessage(),
            u"You were disconnected.\r\nReason: 1 (signed in from another place)");
  EXPECT_EQ(Session().Presence(), -1);
  // Several back-offs long: no new attempt is made.
  application_->PostEventDelayed(300, core::MakeEvent(EventCode::Marker));
  ASSERT_TRUE(core_->WaitFor(EventCode::Marker));
  EXPECT_EQ(server.LoginConnections(), 1);
}

// Servers say their last words and hang up at once. Each start must hear them: the redirect
// followed, the account kept offline after a sign-in elsewhere, the refusal shown.
TEST_F(IcqSessionTest, WhatAServerSaysJustBeforeItHangsUpIsHeard) {
  timings_.reconnect.backoffStepMs = 60000;  // a word lost would show as a wait here, not as a quiet retry
  OscarServer redirecting(OscarServer::Script{.closeAfterLoginReply = true});
  OscarServer refusing(OscarServer::Script{.refusalCode = 0x0018, .closeAfterLoginReply = true});
  for (int round = 1; round <= 50; ++round) {
    SCOPED_TRACE(round);
    Restart(Host(redirecting.LoginPort()));
    ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone));
    ASSERT_TRUE(redirecting.DisconnectBos(1, true));
    ASSERT_TRUE(core_->WaitFor(EventCode::IcqConnectionGone));
    EXPECT_EQ(Session().Presence(), -1);
    EXPECT_EQ(application_->TakeUserMessage(), u"You were disconnected.\r\nReason: 1 (signed in from another place)");

    Restart(Host(refusing.LoginPort()));
    ASSERT_TRUE(core_->WaitFor(EventCode::IcqLoginRefused));
    EXPECT_EQ(application_->TakeUserMessage(), u"The server refused the sign-in: Error 24");
  }
  EXPECT_EQ(redirecting.LoginConnections(), 50);
  EXPECT_EQ(refusing.LoginConnections(), 50);
}

TEST_F(IcqSessionTest, LostNetworkEndsTheSessionAndItSignsInAgainWhenTheNetworkReturns) {
  OscarServer server;
  SignIn(Host(server.LoginPort()));
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone));
  watcher_->OnStatus(*application_, 0x21);  // the connection manager lost the path
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqConnectionGone));
  ASSERT_TRUE(core_->WaitFor(EventCode::IcqStartupDone, 2));
  EXPECT_EQ(server.LoginConnections(), 2);
}

TEST_F(IcqSessionTest, BrokenFramingClosesTheConnectionAndTriesAgain) {
  OscarServer::Script script;
  script.bos.garbageAt = OscarServer::Step::ClientVersions;
  OscarServer server(script);
  SignIn(Host(server.LoginPort()));
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count(OscarServer::Role::Login) >= 2; }));
  EXPECT_EQ(core_->Count(EventCode::IcqStartupDone), 0u);
}

}  // namespace
}  // namespace quelt::icq
