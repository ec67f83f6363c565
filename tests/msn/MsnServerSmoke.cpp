// The scripted MSN notification server, driven by a raw-socket client that plays the login.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "support/LineClient.h"
#include "support/MsnServer.h"

namespace quelt::test {
namespace {

using Client = LineClient;

const std::string kVer = "VER 1 MSNP10 MSNP9 CVR0";
const std::string kCvr = "CVR 2 0x0409 winnt 5.1 i386 MSNMSGR 6.2.0205 MSMSGS al%2bice@example.com";
const std::string kUsrI = "USR 3 TWN I al%2bice@example.com";
const std::string kUsrS = "USR 4 TWN S t=ticket123&p=profile456";

MsnServer::Script Account() { return {.email = "al+ice@example.com", .displayName = "Alice Liddell"}; }

bool StartsWith(const std::optional<std::string>& line, std::string_view prefix) {
  return line && line->starts_with(prefix);
}

TEST(MsnServerSmoke, PlaysASuccessfulLoginAndTheKeepAlive) {
  MsnServer server(Account());
  Client client(server.Port());
  ASSERT_TRUE(client.Connected());
  EXPECT_EQ(client.Ask(kVer), "VER 1 MSNP10 CVR0");
  EXPECT_TRUE(StartsWith(client.Ask(kCvr), "CVR 2 "));
  EXPECT_EQ(client.Ask(kUsrI), "USR 3 TWN S " + MsnServer::Script().policy);
  EXPECT_EQ(client.Ask(kUsrS), "USR 4 OK al+ice@example.com Alice%20Liddell 1");
  EXPECT_EQ(client.Ask("SYN 5 0 0"), "SYN 5 0 0 0 0");
  EXPECT_EQ(client.Ask("CHG 6 NLN 1"), "CHG 6 NLN 1");
  EXPECT_EQ(client.Ask("PNG"), "QNG 50");
  ASSERT_TRUE(server.SendChallenge("123"));
  EXPECT_EQ(client.Line(), "CHL 0 123");
  ASSERT_TRUE(client.Send("QRY 7 PROD0090YUAUV{2B 32\r\n" + std::string(32, 'a')));  // no line end after it
  EXPECT_EQ(client.Line(), "QRY 7");
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count("QRY") == 1; }));
  const auto log = server.Snapshot();
  EXPECT_TRUE(log.violations.empty()) << log.violations.front();
  EXPECT_EQ(log.lines.back().payload, std::string(32, 'a'));
  EXPECT_TRUE(log.connections.at(0).loggedIn);
  // Silenced, the server still sends what the test asks for, and nothing else.
  ASSERT_TRUE(server.Silence());
  ASSERT_TRUE(client.Send("PNG\r\nCHG 8 AWY 1\r\n"));
  ASSERT_TRUE(server.WaitFor([](const auto& l) { return l.Count("CHG") == 2; }));
  ASSERT_TRUE(server.SendOut("OTH"));
  EXPECT_EQ(client.Line(), "OUT OTH");
  ASSERT_TRUE(server.Drop());
  EXPECT_EQ(client.Line(), std::nullopt);
  EXPECT_TRUE(server.WaitFor([](const auto& l) { return !l.connections.at(0).open; }));
  EXPECT_FALSE(server.Send("OUT"));
}

TEST(MsnServerSmoke, RedirectsTheFirstConnectionAtTheScriptedStep) {
  for (const auto step : {MsnServer::RedirectAt::Ver, MsnServer::RedirectAt::Cvr, MsnServer::RedirectAt::UsrTwnI}) {
    auto script = Account();
    script.redirectFirst = step;
    MsnServer server(script);
    const std::string xfr =
        " NS 127.0.0.1:" + std::to_string(server.RedirectPort()) + " 0 127.0.0.1:" + std::to_string(server.Port());
    {
      Client first(server.Port());
      std::optional<std::string> answer;
      for (const std::string& line : {kVer, kCvr, kUsrI}) {
        if (StartsWith(answer = first.Ask(line), "XFR ")) break;
      }
      EXPECT_EQ(answer, "XFR " + std::to_string(int(step) + 1) + xfr);
    }
    for (const uint16_t port : {server.RedirectPort(), server.Port()}) {
      Client next(port);
      EXPECT_EQ(next.Ask(kVer), "VER 1 MSNP10 CVR0");
    }
    ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count("VER") == 3 && !log.connections[0].open; }));
    const auto log = server.Snapshot();
    EXPECT_TRUE(log.violations.empty()) << log.violations.front();
    EXPECT_TRUE(log.connections[0].redirected);
    EXPECT_EQ(log.connections[1].listener, MsnServer::Listener::Redirect);
    EXPECT_FALSE(log.connections[2].redirected);
  }
}

TEST(MsnServerSmoke, NoiseDressesRepliesAndARefusedTicketGets911) {
  auto script = Account();
  script.noise = true;
  script.refuseTicket = true;
  MsnServer server(script);
  Client client(server.Port());
  EXPECT_EQ(client.Ask(kVer), "QNG 50  ");
  EXPECT_EQ(client.Line(), "VER 1 MSNP10 CVR0  ");
  EXPECT_TRUE(StartsWith(client.Ask(kCvr), "CVR 2 "));
  EXPECT_TRUE(StartsWith(client.Ask(kUsrI), "BLP 0 AL  "));
  EXPECT_TRUE(StartsWith(client.Line(), "USR 3 TWN S "));
  EXPECT_EQ(client.Ask(kUsrS), "911 4  ");
  EXPECT_TRUE(server.Violations().empty());
}

TEST(MsnServerSmoke, FlagsWhatTheClientGetsWrong) {
  const struct {
    std::string bytes;  // sent after a correct VER
    std::string violation;
  } cases[] = {
      {"CVR 2 0x0409 winnt 5.1 i386 MSNMSGR 6.2.0205 MSMSGS al+ice@example.com\r\n", "where \"CVR 2 0x0409"},
      {"CVR 3 0x0409 winnt 5.1 i386 MSNMSGR 6.2.0205 MSMSGS al%2bice@example.com\r\n", "transaction id \"3\""},
      {kUsrI + "\r\n", "USR before the CVR reply"},
      {"PNG\r\n", "PNG before the CHG reply"},
      {"PNG 2\r\n", "PNG with more than its word"},
      {kCvr + "\n", "a line ending without CR"},
      {"ADC 2 FL N=x F=secret\r\n", "the password"},
      {"ADC 2 FL  N=x\r\n", "spaces other than"},
      {"QRY 2 PROD 32\r\n" + std::string(32, '0'), "QRY without a challenge"},
  };
  for (const auto& [bytes, violation] : cases) {
    MsnServer server(Account());
    Client client(server.Port());
    ASSERT_EQ(client.Ask(kVer), "VER 1 MSNP10 CVR0");
    ASSERT_TRUE(client.Send(bytes));
    ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.lines.size() == 2; }));
    const auto violations = server.Violations();
    EXPECT_TRUE(std::any_of(violations.begin(), violations.end(),
                            [&](const std::string& v) { return v.find(violation) != std::string::npos; }))
        << bytes << (violations.empty() ? "" : violations.front());
  }
}

}  // namespace
}  // namespace quelt::test
