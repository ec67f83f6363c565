#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <vector>

#include "msn/PassportHeaders.h"
#include "msn/PassportLogin.h"
#include "support/PassportServer.h"

namespace quelt::msn {
namespace {

using namespace std::chrono_literals;
using test::PassportServer;

struct ScanCase {
  const char* headers;
  std::optional<std::string_view> daLogin;
  std::optional<std::string_view> ticket;
};

TEST(PassportHeaders, MarkersAreFoundAndCutAtTheirEnds) {
  const ScanCase cases[] = {
      {"HTTP/1.1 200 OK\r\nPassportURLs: DARealm=Passport.Net,DALogin=login.example.net/login2.srf,DAReg=x\r\n",
       "login.example.net/login2.srf", std::nullopt},
      {"PassportURLs: DALogin=login.example.net/login2.srf\r\nServer: x\r\n", "login.example.net/login2.srf",
       std::nullopt},
      {"PassportURLs: DALogin=host/last\nServer: x", "host/last", std::nullopt},
      {"PassportURLs: DALogin=host/at-the-end", "host/at-the-end", std::nullopt},
      {"PassportURLs: DALogin=,DAReg=x", "", std::nullopt},
      {"passporturls: dalogin=host/p\r\n", std::nullopt, std::nullopt},
      {"Authentication-Info: Passport1.4 da-status=success,from-PP='t=1&p=2',ru=x\r\n", std::nullopt, "t=1&p=2"},
      {"Authentication-Info: Passport1.4 from-PP='t=to-the-end", std::nullopt, "t=to-the-end"},
      {"Authentication-Info: Passport1.4 from-PP=''", std::nullopt, ""},
      {"authentication-info: passport1.4 from-pp='t'", std::nullopt, std::nullopt},
      {"X: DALogin=a/b,from-PP='c'", "a/b", "c"},
      // An unclosed ticket must not carry the next header lines into the USR line.
      {"Authentication-Info: from-PP='t=1\r\nSet-Cookie: x='y'", std::nullopt, "t=1"},
      {"Authentication-Info: from-PP='t=1\nUSR 9 TWN S x'", std::nullopt, "t=1"},
      {"Authentication-Info: from-PP='t=1 p=2'", std::nullopt, "t=1"},
      {"", std::nullopt, std::nullopt},
  };
  for (const auto& scan : cases) {
    SCOPED_TRACE(scan.headers);
    EXPECT_EQ(FindDaLogin(scan.headers), scan.daLogin);
    EXPECT_EQ(FindPassportTicket(scan.headers), scan.ticket);
  }
}

TEST(PassportHeaders, HeaderNamesMatchInAnyCase) {
  const std::string_view block =
      "HTTP/1.1 302 Found\r\nRefresh: 0; Location: wrong\r\nX-Location: wrong\r\nlocation:  https://a.example/b \r\n"
      "LOCATION: second\r\nServer:\tpp\nEmpty:\r\n";
  EXPECT_EQ(FindHeaderValue(block, "Location"), "https://a.example/b");
  EXPECT_EQ(FindHeaderValue(block, "LOCATION"), "https://a.example/b");
  EXPECT_EQ(FindHeaderValue(block, "server"), "pp");
  EXPECT_EQ(FindHeaderValue(block, "Empty"), "");
  EXPECT_EQ(FindHeaderValue(block, "Content-Length"), std::nullopt);
  EXPECT_EQ(FindHeaderValue("", "Location"), std::nullopt);
}

TEST(PassportHeaders, UrlsSplitIntoHostPortAndPath) {
  struct Case {
    std::string url;
    std::string host, hostName;
    uint16_t port;
    std::string path;
  };
  const Case cases[] = {
      {"https://login.example.net/login2.srf", "login.example.net", "login.example.net", 443, "/login2.srf"},
      {"127.0.0.1:8443/login2.srf", "127.0.0.1:8443", "127.0.0.1", 8443, "/login2.srf"},
      {"nexus.example.net", "nexus.example.net", "nexus.example.net", 443, "/"},
      {"http://a.example/x?y=1&z=%20", "a.example", "a.example", 443, "/x?y=1&z=%20"},
      {"[::1]:9000/p", "[::1]:9000", "::1", 9000, "/p"},
      {"login.example.net/x?ru=http://b.example/", "login.example.net", "login.example.net", 443,
       "/x?ru=http://b.example/"},
      {std::string(127, 'h') + "/p", std::string(127, 'h'), std::string(127, 'h'), 443, "/p"},
      {"h/" + std::string(126, 'p'), "h", "h", 443, "/" + std::string(126, 'p')},
  };
  for (const auto& expected : cases) {
    SCOPED_TRACE(expected.url);
    const auto url = SplitPassportUrl(expected.url);
    ASSERT_TRUE(url.has_value());
    EXPECT_EQ(url->host, expected.host);
    EXPECT_EQ(url->hostName, expected.hostName);
    EXPECT_EQ(url->port, expected.port);
    EXPECT_EQ(url->path, expected.path);
  }
  const std::string refused[] = {
      "",
      "https://",
      "https:///path",
      "host:0/",
      "host:65536/",
      "host:44a/",
      "host:/",
      "a:1:2/",
      "user@evil.example/",
      "host/with space",
      "host/with\r\nInjected: yes",
      "[::1/",
      "[::1]x/",
      std::string(128, 'h') + "/p",
      "h/" + std::string(127, 'p'),
  };
  for (const auto& url : refused) EXPECT_EQ(SplitPassportUrl(url), std::nullopt) << url;
}

TEST(PassportHeaders, RelativeLocationsKeepTheHost) {
  const auto from = SplitPassportUrl("https://127.0.0.1:4443/login2.srf");
  ASSERT_TRUE(from.has_value());
  EXPECT_EQ(ResolvePassportLocation(*from, "/other.srf?x"), "127.0.0.1:4443/other.srf?x");
  EXPECT_EQ(ResolvePassportLocation(*from, "//b.example/x"), "b.example/x");
  EXPECT_EQ(ResolvePassportLocation(*from, "https://b.example/x"), "https://b.example/x");
}

TEST(PassportHeaders, AuthorizationEncodesThePasswordAndOnlyTheAtSignOfTheAccount) {
  EXPECT_EQ(BuildPassportAuthorization("a+b@x.com", "p,w'd", "lc=1033,id=507"),
            "Passport1.4 OrgVerb=GET,OrgURL=http%3A%2F%2Fmessenger%2Emsn%2Ecom,sign-in=a+b%40x.com,pwd=p%2cw%27d,"
            "lc=1033,id=507");
  const auto kept = BuildPassportAuthorization("plain name", "Az09.-_@ %\xe9", "p");
  ASSERT_TRUE(kept.has_value());
  EXPECT_NE(kept->find(",sign-in=plain name,pwd=Az09.-_@%20%25%e9,p"), std::string::npos) << *kept;

  // 124 bytes and an at sign make 127 once encoded, the most a sign-in may take.
  EXPECT_TRUE(BuildPassportAuthorization(std::string(124, 'x') + "@", "pw", "p").has_value());
  EXPECT_FALSE(BuildPassportAuthorization(std::string(125, 'x') + "@", "pw", "p").has_value());
  EXPECT_FALSE(BuildPassportAuthorization(std::string(128, 'x'), "pw", "p").has_value());
  EXPECT_FALSE(BuildPassportAuthorization("a@b\r\nX: y", "pw", "p").has_value());
  EXPECT_FALSE(BuildPassportAuthorization("a@b", "pw", "p\nX: y").has_value());
  EXPECT_TRUE(BuildPassportAuthorization("a@b", "line\r\nbreak", "p").has_value());
}

// The whole exchange against the HTTPS fixture, trusting only its test CA.
class PassportLoginTest : public testing::Test {
 protected:
  static constexpr const char* kAccount = "a+b@x.com";
  static constexpr const char* kPassword = "p,w'd";
  static constexpr const char* kPolicy = "lc=1033,id=507,tw=40,fs=1,ct=1062764229,kpp=1,kv=5,ver=2.1.0173.1";
  static constexpr const char* kTicket =
      "t=53*1hAu8ADuD3TEwdXoOMi08sD*2!cMrntTwVMTjoB3p6stWTqzbkKZPVQzA5NOt19SLI60PY!b8K4YhC!Ooo5ug$$&p=5";

  void SetUp() override { server_.SetAccount(kAccount, kPassword, kTicket); }

  [[nodiscard]] PassportEndpoints Endpoints() const { return {server_.Nexus(), server_.CaFile().string()}; }

  [[nodiscard]] std::string Login(const std::string& password = kPassword, const std::string& policy = kPolicy) {
    return PassportLogin(Endpoints(), kAccount, password, policy);
  }

  [[nodiscard]] std::vector<PassportServer::Request> LoginRequests() const {
    std::vector<PassportServer::Request> logins;
    for (auto& request : server_.Requests()) {
      if (request.path != "/rdr/pprdr.asp") logins.push_back(request);
    }
    return logins;
  }

  PassportServer server_;
};

TEST_F(PassportLoginTest, SignsInAndReturnsTheTicket) {
  EXPECT_EQ(Login(), kTicket);
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].path, "/rdr/pprdr.asp");
  EXPECT_EQ(requests[0].Header("Authorization"), std::nullopt);
  EXPECT_EQ(requests[1].path, "/login2.srf");
  EXPECT_EQ(requests[1].Header("Authorization"), BuildPassportAuthorization(kAccount, kPassword, kPolicy));
  for (const auto& request : requests) {
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.Header("User-Agent"), "MSMSGS");
    EXPECT_EQ(request.Header("Host"), "127.0.0.1:" + std::to_string(server_.Port()));
    EXPECT_EQ(request.Header("Cookie"), std::nullopt);
  }
}

TEST_F(PassportLoginTest, FollowsARedirectAndSendsTheAuthorizationAgain) {
  struct Case {
    bool relative;  // a bare path on the same server, else a full address on the other port
    bool lowerCaseNames;
  };
  for (const auto [relative, lowerCaseNames] : {Case{false, false}, Case{false, true}, Case{true, true}}) {
    SCOPED_TRACE(testing::Message() << relative << lowerCaseNames);
    PassportServer server;
    server.SetAccount(kAccount, kPassword, kTicket);
    const uint16_t port = relative ? server.Port() : server.AlternatePort();
    server.RedirectLogins(relative ? "/login3.srf" : "https://127.0.0.1:" + std::to_string(port) + "/login3.srf");
    if (lowerCaseNames) server.UseLowerCaseHeaderNames();
    EXPECT_EQ(PassportLogin({server.Nexus(), server.CaFile().string()}, kAccount, kPassword, kPolicy), kTicket);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].path, "/login2.srf");
    EXPECT_EQ(requests[2].port, port);
    EXPECT_EQ(requests[2].path, "/login3.srf");
    EXPECT_EQ(requests[2].Header("Host"), "127.0.0.1:" + std::to_string(port));
    EXPECT_EQ(requests[2].Header("Authorization"), BuildPassportAuthorization(kAccount, kPassword, kPolicy));
  }
}

TEST_F(PassportLoginTest, RedirectsAreBounded) {
  struct Case {
    int scripted;
    int maxRedirects;
    bool signedIn;
  };
  for (const auto [scripted, maxRedirects, signedIn] : {Case{10, 10, true}, Case{1000, 10, false}, Case{1, 0, false}}) {
    SCOPED_TRACE(scripted);
    PassportServer server;
    server.SetAccount(kAccount, kPassword, kTicket);
    server.RedirectLogins("https://127.0.0.1:" + std::to_string(server.Port()) + "/login2.srf", scripted);
    PassportEndpoints endpoints{server.Nexus(), server.CaFile().string()};
    endpoints.maxRedirects = maxRedirects;
    EXPECT_EQ(PassportLogin(endpoints, kAccount, kPassword, kPolicy), signedIn ? kTicket : "");
    EXPECT_EQ(server.Requests().size(), static_cast<size_t>(1 + maxRedirects + 1));
  }
}

TEST_F(PassportLoginTest, RefusedSignInGivesNoTicket) {
  EXPECT_EQ(Login("wrong"), "");
  // Without a policy no Authorization goes out and the login server has nothing to accept.
  EXPECT_EQ(Login(kPassword, ""), "");
  const auto logins = LoginRequests();
  ASSERT_EQ(logins.size(), 2u);
  EXPECT_TRUE(logins[0].Header("Authorization").has_value());
  EXPECT_EQ(logins[1].Header("Authorization"), std::nullopt);
}

TEST_F(PassportLoginTest, HeaderBlocksAreCapped) {
  server_.AddLoginHeader("X-Padding", std::string(15000, 'x'));
  EXPECT_EQ(Login(), kTicket);
  server_.AddLoginHeader("X-More-Padding", std::string(2000, 'y'));
  EXPECT_EQ(Login(), "");
}

TEST_F(PassportLoginTest, UntrustedLoginServerNeverSeesThePassword) {
  for (const auto kind : {PassportServer::Certificate::OtherCa, PassportServer::Certificate::WrongHost}) {
    SCOPED_TRACE(static_cast<int>(kind));
    PassportServer nexus;
    PassportServer rogue(kind);
    rogue.SetAccount(kAccount, kPassword, kTicket);
    nexus.SetDaLogin("127.0.0.1:" + std::to_string(rogue.Port()) + "/login2.srf");
    EXPECT_EQ(PassportLogin({nexus.Nexus(), nexus.CaFile().string()}, kAccount, kPassword, kPolicy), "");
    EXPECT_TRUE(rogue.WaitForAbandonedConnections(1, 10s));
    EXPECT_TRUE(rogue.Requests().empty());
    ASSERT_EQ(nexus.Requests().size(), 1u);
    EXPECT_EQ(nexus.Requests()[0].path, "/rdr/pprdr.asp");
  }
}

TEST_F(PassportLoginTest, SystemTrustStoreDoesNotKnowTheTestCa) {
  EXPECT_EQ(PassportLogin({server_.Nexus()}, kAccount, kPassword, kPolicy), "");
  EXPECT_TRUE(server_.WaitForAbandonedConnections(1, 10s));
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(PassportLoginTest, CancelEndsAHeldLogin) {
  server_.HoldLogins();
  PassportEndpoints endpoints = Endpoints();
  // Far beyond the test's own time limit, so only the cancel can end the request.
  endpoints.timeoutMs = 600000;
  std::atomic<bool> cancel{false};
  auto login =
      std::async(std::launch::async, [&] { return PassportLogin(endpoints, kAccount, kPassword, kPolicy, &cancel); });
  ASSERT_TRUE(server_.WaitForRequests(2, 30s));
  cancel = true;
  ASSERT_EQ(login.wait_for(30s), std::future_status::ready);
  EXPECT_EQ(login.get(), "");

  // Already cancelled: nothing goes out.
  EXPECT_EQ(PassportLogin(endpoints, kAccount, kPassword, kPolicy, &cancel), "");
  EXPECT_EQ(server_.Requests().size(), 2u);
}

}  // namespace
}  // namespace quelt::msn
