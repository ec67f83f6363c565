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
#include "support/ChildProcess.h"
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

// Starts a real proxy on a free loopback port with a configuration of its own, and an echo peer
// to tunnel to.
class RealProxy : public testing::Test {
 protected:
  ~RealProxy() override {
    // Asked politely first, so that the proxy takes its worker processes with it.
    if (!process_) return;
    process_->Signal(SIGTERM);
    (void)process_->WaitForExit(10s);
  }

  void Start(const std::filesystem::path& program, const std::string& flags, std::string text) {
    ASSERT_TRUE(std::filesystem::exists(program)) << program << " is missing: run tools/install-deps.sh";
    port_ = LoopbackServer([](int) {}).Port();  // free once that server is gone
    const auto config = folder_ / "proxy.conf";
    test::WriteFile(config, text.replace(text.find("PORT"), 4, std::to_string(port_)));
    const auto script = folder_ / "run.sh";
    test::WriteFile(script, "#!/bin/sh\nexec " + program.string() + " " + flags + " " + config.string() + " 1>&2\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    process_ = test::ChildProcess::Start(script, {});
    ASSERT_NE(process_, nullptr);
    for (const auto deadline = std::chrono::steady_clock::now() + 10s;; std::this_thread::sleep_for(20ms)) {
      ASSERT_FALSE(process_->WaitForExit(0ms)) << program << " ended:\n" << process_->Stderr();
      if (ConnectVia("127.0.0.1", std::to_string(port_), {}).result == ConnectResult::Connected) return;
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << program << " does not listen:\n" << process_->Stderr();
    }
  }

  void StartDante(const std::string& method) {
    std::string config =
        "logoutput: stderr\ninternal: 127.0.0.1 port = PORT\nexternal: 127.0.0.1\n"
        "clientmethod: none\nsocksmethod: " +
        method + "\n";
    if (geteuid() == 0) config += "user.privileged: root\nuser.unprivileged: nobody\n";
    config += "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\nsocks pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n";
    Start("/usr/sbin/danted", "-N 1 -f", config);
  }

  [[nodiscard]] Connection Via(core::ProxyType type, const std::string& host, const std::string& user = "",
                               const std::string& password = "") const {
    return ConnectVia(host, echo_.PortText(), {type, "127.0.0.1", port_, user, password});
  }

  void ExpectTunnel(const Connection& connection) const {
    ASSERT_EQ(connection.result, ConnectResult::Connected) << process_->Stderr();
    std::string payload(100000, '\0');
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<char>(i * 7 + i / 251);
    EXPECT_EQ(EchoThrough(connection.socket.Get(), payload), payload);
    EXPECT_EQ(echo_.Accepted(), 1);
  }

  test::TempFolder folder_;
  LoopbackServer echo_{LoopbackServer::Echo};
  std::unique_ptr<test::ChildProcess> process_;
  uint16_t port_ = 0;
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
  std::string config = "Port PORT\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 60\nLogLevel Info\n";
  if (geteuid() == 0) config += "User nobody\nGroup nogroup\n";
  ASSERT_NO_FATAL_FAILURE(Start("/usr/bin/tinyproxy", "-d -c", config));
  ExpectTunnel(Via(core::ProxyType::Http, "127.0.0.1"));
}

}  // namespace
}  // namespace quelt::net
