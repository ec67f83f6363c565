#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>

#include <future>
#include <string>
#include <thread>

#include "net/ConnectVia.h"
#include "platform/Waker.h"
#include "support/LoopbackServer.h"

namespace quelt::net {
namespace {

using core::ProxyType;
using test::LoopbackServer;

std::string Hex(std::string_view text) {
  std::string bytes;
  for (size_t i = 0; i + 1 < text.size(); i += 3)
    bytes.push_back(static_cast<char>(std::stoi(std::string(text.substr(i, 2)), nullptr, 16)));
  return bytes;
}

// Reads what follows the negotiation on the returned socket until the fake proxy closes.
std::string ReadToEnd(int socket) {
  std::string bytes;
  char buffer[256];
  pollfd fd{socket, POLLIN, 0};
  while (poll(&fd, 1, 10000) == 1) {
    const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  return bytes;
}

// A proxy that sends its whole script at once (the client reads only what it needs at each
// step), ends its side of the stream and records everything the client sent.
class FakeProxy {
 public:
  enum class Mode { AllAtOnce, ByteByByte, Silent };
  FakeProxy(std::string script, Mode mode, platform::Waker* cancelOnAccept = nullptr)
      : server_([this, script, mode, cancelOnAccept](int socket) {
          if (cancelOnAccept != nullptr) cancelOnAccept->Signal();
          for (size_t i = 0; mode == Mode::ByteByByte && i < script.size(); ++i) {
            // Paced so that the reply arrives in separate segments.
            LoopbackServer::SendAll(socket, script.substr(i, 1));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
          }
          if (mode == Mode::AllAtOnce) LoopbackServer::SendAll(socket, script);
          if (mode != Mode::Silent) shutdown(socket, SHUT_WR);
          std::string sent;
          for (std::string part; !(part = LoopbackServer::ReceiveSome(socket)).empty();) sent += part;
          sent_.set_value(sent);
        }) {}
  std::string Sent() { return sent_.get_future().get(); }
  [[nodiscard]] int32_t Port() const { return server_.Port(); }

 private:
  std::promise<std::string> sent_;
  LoopbackServer server_;
};

using enum ConnectResult;
const std::string kOkIpv4 = Hex("05 00 00 01 7f 00 00 01 04 38");
const std::string kRequestIpv4 = Hex("05 01 00 01 7f 00 00 01 14 46");
const std::string kPlainIpv4 = Hex("05 01 00") + kRequestIpv4;  // after a greeting offering no authentication
const std::string kAuthMe = Hex("05 02 00 02 01 02") + "me" + Hex("02") + "pw";
const std::string kHttpRequest = "CONNECT login.example.net:5190 HTTP/1.1\r\n\r\n";

std::string Repeat(std::string_view text, int times) {
  std::string out;
  while (times-- > 0) out += text;
  return out;
}

struct Case {
  const char* name;
  ProxyType type;
  std::string host, user, proxyReply;
  ConnectResult expected;
  std::string clientSent;
  std::string tunnelled = {};  // what the returned socket must still deliver
  FakeProxy::Mode mode = FakeProxy::Mode::AllAtOnce;
};
void PrintTo(const Case& row, std::ostream* out) { *out << row.name; }

const std::string kIp = "127.0.0.1", kName = "login.example.net";
const Case kCases[] = {
    {"Socks5NoAuthIpv4", ProxyType::Socks5, kIp, "", Hex("05 00") + kOkIpv4 + "hi", Connected, kPlainIpv4, "hi"},
    {"Socks5PasswordByName", ProxyType::Socks5, kName, "me", Hex("05 02 01 00") + kOkIpv4, Connected,
     kAuthMe + Hex("05 01 00 03 11") + kName + Hex("14 46")},
    {"Socks5PasswordDemandedButNoneOffered", ProxyType::Socks5, kIp, "", Hex("05 02 01 00") + kOkIpv4, Connected,
     Hex("05 01 00 01 00 00") + kRequestIpv4},
    {"Socks5BoundIpv6", ProxyType::Socks5, kIp, "", Hex("05 00 05 00 00 04") + std::string(18, '\1') + "x", Connected,
     kPlainIpv4, "x"},
    {"Socks5BoundName", ProxyType::Socks5, kIp, "", Hex("05 00 05 00 00 03 02") + "ab" + Hex("00 01") + "y", Connected,
     kPlainIpv4, "y"},
    {"Socks5ReplyByteByByte", ProxyType::Socks5, kIp, "me", Hex("05 02 01 00") + kOkIpv4 + "z", Connected,
     kAuthMe + kRequestIpv4, "z", FakeProxy::Mode::ByteByByte},
    {"Socks5NoAcceptableMethod", ProxyType::Socks5, kIp, "", Hex("05 ff"), ProxyFailed, Hex("05 01 00")},
    {"Socks5MethodNotOffered", ProxyType::Socks5, kIp, "", Hex("05 01") + kOkIpv4, ProxyFailed, Hex("05 01 00")},
    {"Socks5ChoiceFromAnotherVersion", ProxyType::Socks5, kIp, "", Hex("04 00") + kOkIpv4, ProxyFailed,
     Hex("05 01 00")},
    {"Socks5WrongPassword", ProxyType::Socks5, kIp, "me", Hex("05 02 01 01") + kOkIpv4, ProxyFailed, kAuthMe},
    {"Socks5ShortReply", ProxyType::Socks5, kIp, "", Hex("05 00 05 00 00"), ProxyFailed, kPlainIpv4},
    {"Socks5Refused", ProxyType::Socks5, kIp, "", Hex("05 00 05 05 00 01 00 00 00 00 00 00"), ProxyFailed, kPlainIpv4},
    {"Socks5UnknownAddressType", ProxyType::Socks5, kIp, "", Hex("05 00 05 00 00 02 00 00 00 00 00 00"), ProxyFailed,
     kPlainIpv4},
    {"Socks5TruncatedBoundIpv6", ProxyType::Socks5, kIp, "", Hex("05 00 05 00 00 04") + std::string(17, '\0'),
     ProxyFailed, kPlainIpv4},
    {"Socks5NameTooLong", ProxyType::Socks5, std::string(256, 'h'), "", kOkIpv4, ProxyFailed, ""},
    {"Socks5Silent", ProxyType::Socks5, kIp, "", "", ProxyFailed, Hex("05 01 00"), "", FakeProxy::Mode::Silent},
    {"HttpOkWithHeaders", ProxyType::Http, kName, "", "HTTP/1.0 200 Connection established\r\nVia: x\r\n\r\nhello",
     Connected, kHttpRequest, "hello"},
    {"HttpAuthenticationRequired", ProxyType::Http, kName, "", "HTTP/1.1 407 Proxy Authentication Required\r\n\r\n",
     ProxyFailed, kHttpRequest},
    {"HttpCodeWithoutReasonSpace", ProxyType::Http, kName, "", "HTTP/1.1 200\r\n\r\n", ProxyFailed, kHttpRequest},
    {"HttpClosedInHeaders", ProxyType::Http, kName, "", "HTTP/1.1 200 OK\r\nVia: x\r\n", ProxyFailed, kHttpRequest},
    {"HttpEndlessLine", ProxyType::Http, kName, "", "HTTP/1.1 200 OK\r\nX: " + std::string(9000, 'a'), ProxyFailed,
     kHttpRequest},
    {"HttpEndlessHeaders", ProxyType::Http, kName, "", "HTTP/1.1 200 OK\r\n" + Repeat("X: y\r\n", 101) + "\r\n",
     ProxyFailed, kHttpRequest},
    {"HttpHostThatWouldEndTheLine", ProxyType::Http, "evil\r\nX: y", "", "HTTP/1.1 200 OK\r\n\r\n", ProxyFailed, ""},
    {"HttpSilent", ProxyType::Http, kName, "", "", ProxyFailed, kHttpRequest, "", FakeProxy::Mode::Silent},
};

class ProxyExchange : public testing::TestWithParam<Case> {};

TEST_P(ProxyExchange, GivesResultSendsExpectedBytesAndLeavesTunnelUnread) {
  const Case& row = GetParam();
  FakeProxy proxy(row.proxyReply, row.mode);
  const ProxySettings settings{row.type, kIp, proxy.Port(), row.user, "pw"};
  const uint32_t exchangeMs = row.mode == FakeProxy::Mode::Silent ? 300 : 10000;
  Connection connection = ConnectVia(row.host, "5190", settings, {.connectMs = 10000, .exchangeMs = exchangeMs});
  ASSERT_EQ(connection.result, row.expected);
  EXPECT_EQ(connection.socket.Valid(), row.expected == Connected);
  if (connection.socket.Valid()) {
    EXPECT_EQ(ReadToEnd(connection.socket.Get()), row.tunnelled);
  }
  connection.socket.Reset();
  EXPECT_EQ(proxy.Sent(), row.clientSent);
}

INSTANTIATE_TEST_SUITE_P(Scripted, ProxyExchange, testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(ConnectVia, CancelDuringExchangeAbandonsAtOnce) {
  platform::Waker cancel;
  FakeProxy proxy("", FakeProxy::Mode::Silent, &cancel);
  const ProxySettings settings{ProxyType::Http, kIp, proxy.Port(), "", ""};
  const Connection connection = ConnectVia(kName, "5190", settings, {}, cancel.Fd());
  EXPECT_EQ(connection.result, ConnectFailed);
  EXPECT_FALSE(connection.socket.Valid());
}

TEST(ConnectVia, DirectResults) {
  LoopbackServer echo(LoopbackServer::Echo);
  Connection open = ConnectVia(kIp, echo.PortText(), {});
  ASSERT_EQ(open.result, Connected);
  EXPECT_NE(fcntl(open.socket.Get(), F_GETFL) & O_NONBLOCK, 0);
  platform::Waker cancel;
  cancel.Signal();
  EXPECT_EQ(ConnectVia(kIp, echo.PortText(), {}, {}, cancel.Fd()).result, ConnectFailed);

  const uint16_t closedPort = LoopbackServer([](int) {}).Port();
  EXPECT_EQ(ConnectVia(kIp, std::to_string(closedPort), {}).result, ConnectFailed);
  EXPECT_EQ(ConnectVia(kName, "5190", {ProxyType::Socks5, kIp, closedPort}).result, ConnectFailed);
  const Connection unresolved = ConnectVia("no-such-host.invalid", "5190", {});
  EXPECT_EQ(unresolved.result, ResolveFailed);
  EXPECT_FALSE(unresolved.socket.Valid());
}

}  // namespace
}  // namespace quelt::net
