#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "support/LoopbackServer.h"
#include "support/TempFolder.h"

namespace quelt::test {

// An HTTPS Passport nexus and login server on 127.0.0.1 for tests. It listens on two ports that
// serve the same script; each connection carries one request and is closed after the answer.
// Its certificate is made at construction and, unless another kind is asked for, is for
// 127.0.0.1 and localhost and signed by a test CA that every server of the program shares and
// writes to CaFile().
//
//   GET /rdr/pprdr.asp  -> 200 with "PassportURLs: ...,DALogin=<DaLogin()>,..."
//   GET /login*.srf     -> 200 with "Authentication-Info: ...from-PP='<ticket>'..." when the
//                          Authorization header names the scripted account and password,
//                          401 with WWW-Authenticate otherwise (or the scripted redirects)
//   anything else       -> 404
class PassportServer {
 public:
  enum class Certificate {
    Trusted,    // signed by the CA in CaFile(), for 127.0.0.1 and localhost
    OtherCa,    // signed by a CA that is not in CaFile()
    WrongHost,  // signed by the CA in CaFile(), but for another host name only
  };

  struct Request {
    uint16_t port = 0;
    std::string method;
    std::string path;
    std::vector<std::pair<std::string, std::string>> headers;
    // The first header called `name` (any letter case).
    [[nodiscard]] std::optional<std::string> Header(std::string_view name) const;
  };

  // Listens on `port` (0: a free one) and on a free alternate port.
  explicit PassportServer(Certificate certificate = Certificate::Trusted, uint16_t port = 0);
  ~PassportServer();
  PassportServer(const PassportServer&) = delete;
  PassportServer& operator=(const PassportServer&) = delete;

  [[nodiscard]] uint16_t Port() const { return primary_->Port(); }
  [[nodiscard]] uint16_t AlternatePort() const { return alternate_->Port(); }
  // "127.0.0.1:<Port()>", the nexus address for the client.
  [[nodiscard]] std::string Nexus() const;
  [[nodiscard]] const std::filesystem::path& CaFile() const { return caFile_; }

  // The account, password (both as typed) and ticket of a successful sign-in.
  void SetAccount(std::string account, std::string password, std::string ticket);
  // What the nexus names as login address; "127.0.0.1:<Port()>/login2.srf" by default.
  void SetDaLogin(std::string address);
  // The first `count` login requests are answered with 302 to `location`.
  void RedirectLogins(std::string location, int count = 1);
  // Login requests get no answer; their connections stay open until the client goes.
  void HoldLogins();
  // Header names of every answer are sent in lower case.
  void UseLowerCaseHeaderNames();
  // One more header in answers to login requests.
  void AddLoginHeader(std::string name, std::string value);

  [[nodiscard]] std::vector<Request> Requests() const;
  // Waits until at least `count` requests were received.
  [[nodiscard]] bool WaitForRequests(size_t count, std::chrono::milliseconds timeout);
  // Waits until at least `count` connections ended before a whole request came: the TLS
  // handshake failed, or the client hung up after it.
  [[nodiscard]] bool WaitForAbandonedConnections(int count, std::chrono::milliseconds timeout);

 private:
  struct Tls;
  void Serve(int socket);
  [[nodiscard]] std::string Answer(const Request& request);

  TempFolder folder_;
  std::filesystem::path caFile_;
  std::unique_ptr<Tls> tls_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string account_ = "someone@example.com";
  std::string password_ = "secret";
  std::string ticket_ = "t=ticket&p=profile";
  std::string daLogin_;
  std::string redirectLocation_;
  int redirectsLeft_ = 0;
  bool holdLogins_ = false;
  bool lowerCaseNames_ = false;
  std::vector<std::pair<std::string, std::string>> extraLoginHeaders_;
  std::vector<Request> requests_;
  int abandoned_ = 0;
  uint16_t primaryPort_ = 0;
  // Last, so that their threads are joined before anything above goes away.
  std::unique_ptr<LoopbackServer> primary_;
  std::unique_ptr<LoopbackServer> alternate_;
};

}  // namespace quelt::test
