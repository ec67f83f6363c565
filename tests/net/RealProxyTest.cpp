#include <gtest/gtest.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "net/ConnectVia.h"
#include "support/ProxyProcess.h"
#include "support/LoopbackServer.h"
#include "support/TempFolder.h"

namespace quelt::net {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;

const std::string kAccount = "quelt-socks-test";
const std::string kAccountPassword = "quelt-proxy-7f3a";

// Sends `payload` through the non-blocking socket while reading the echo; gives what came back.
std::string EchoThrough(int socket, const std::string& payload) {
  size_t sent = 0;
  std::string back;
  char buffer[4096];
  while (back.size() < payload.size()) {
    pollfd fd{socket, static_cast<short>(POLLIN | (sent < payload.size() ? POLLOUT : 0)), 0};
    if (poll(&fd, 1, 10000) != 1) break;
    if ((fd.revents & POLLOUT) != 0) {
      const ssize_t wrote = send(socket, payload.data() + sent, payload.size() - sent, MSG_NOSIGNAL);
      if (wrote > 0) sent += static_cast<size_t>(wrote);
    }
    if ((fd.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
      const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      back.append(buffer, static_cast<size_t>(got));
    }
  }
  return back;
}

// A real proxy on a free loopback port, and an echo peer to tunnel to.
class RealProxy : public testing::Test {
 protected:
  void StartDante(const std::string& method) {
    std::string error;
    proxy_ = test::ProxyProcess::StartDante(folder_.Path(), method, error);
    ASSERT_NE(proxy_, nullptr) << error;
  }

  void StartTinyproxy() {
    std::string error;
    proxy_ = test::ProxyProcess::StartTinyproxy(folder_.Path(), error);
    ASSERT_NE(proxy_, nullptr) << error;
  }

  [[nodiscard]] Connection Via(core::ProxyType type, const std::string& host, const std::string& user = "",
                               const std::string& password = "") const {
    return ConnectVia(host, echo_.PortText(), {type, "127.0.0.1", proxy_->Port(), user, password});
  }

  void ExpectTunnel(const Connection& connection) const {
    ASSERT_EQ(connection.result, ConnectResult::Connected) << proxy_->Output();
    std::string payload(100000, '\0');
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7 + i / 251);
    EXPECT_EQ(EchoThrough(connection.socket.Get(), payload), payload);
    EXPECT_EQ(echo_.Accepted(), 1);
  }

  test::TempFolder folder_;
  LoopbackServer echo_{LoopbackServer::Echo};
  std::unique_ptr<test::ProxyProcess> proxy_;
};

TEST_F(RealProxy, Socks5TunnelsToAddressAndToName) {
  ASSERT_NO_FATAL_FAILURE(StartDante("none"));
  ExpectTunnel(Via(core::ProxyType::Socks5, "127.0.0.1"));
  const Connection byName = Via(core::ProxyType::Socks5, "localhost");
  ASSERT_EQ(byName.result, ConnectResult::Connected);
  EXPECT_EQ(EchoThrough(byName.socket.Get(), "by name"), "by name");
}

TEST_F(RealProxy, Socks5ChecksUserAndPassword) {
  if (geteuid() != 0) GTEST_SKIP() << "the proxy checks the system accounts; creating one needs root";
  const std::string create = "useradd --system --no-create-home --shell /usr/sbin/nologin " + kAccount;
  if (getpwnam(kAccount.c_str()) == nullptr) {
    ASSERT_EQ(std::system(create.c_str()), 0);
  }
  ASSERT_EQ(std::system(("echo '" + kAccount + ":" + kAccountPassword + "' | chpasswd").c_str()), 0);
  ASSERT_NO_FATAL_FAILURE(StartDante("username"));
  EXPECT_EQ(Via(core::ProxyType::Socks5, "127.0.0.1", kAccount, "wrong").result, ConnectResult::ProxyFailed);
  EXPECT_EQ(Via(core::ProxyType::Socks5, "127.0.0.1").result, ConnectResult::ProxyFailed);
  ExpectTunnel(Via(core::ProxyType::Socks5, "127.0.0.1", kAccount, kAccountPassword));
}

TEST_F(RealProxy, HttpConnectTunnels) {
  ASSERT_NO_FATAL_FAILURE(StartTinyproxy());
  ExpectTunnel(Via(core::ProxyType::Http, "127.0.0.1"));
}

}  // namespace
}  // namespace quelt::net
