#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/LoopbackServer.h"

namespace quelt::test {

// A scripted MSN notification server on 127.0.0.1 for end-to-end tests of the MSN login.
//
// It listens on a main port and on a redirect port that the main one may send clients to; both
// serve the same dialogue, each connection on a thread of its own. The server reads the client's
// lines (and the payload after QRY and MSG), records them per connection, checks them against
// the command formats and the login order, and answers as the Script says; a wrong byte is a
// violation, which a test usually asserts to be absent. The default Script is an ordinary
// successful login: VER, CVR, USR TWN I (answered with the policy), USR TWN S with the ticket
// (answered with USR OK), SYN (answered with an unchanged empty list) and CHG (echoed); QRY is
// acknowledged and PNG answered with QNG. The Passport exchange between the two USR steps is
// another server's business.
// Thread-safe; the destructor closes every connection and joins.
class MsnServer {
 public:
  enum class Listener { Main, Redirect };
  // The client command that the first connection on the main port answers with the redirect.
  enum class RedirectAt { Ver, Cvr, UsrTwnI };
  struct Script {
    uint16_t port = 0;  // of the main listener; 0: a free one
    std::string email = "alice@example.com";
    std::string password = "secret";  // must never appear on a connection, plain or URL-encoded
    std::string policy =
        "lc=1033,id=507,tw=40,fs=1,ru=http%3A%2F%2Fmessenger%2Emsn%2Ecom,ct=1062764229,kpp=1,kv=5,"
        "ver=2.1.0173.1,tpf=43f8a4c8ed940c04e3740be46c4d1619";
    std::string ticket = "t=ticket123&p=profile456";  // any other ticket is a violation and gets 911
    std::string displayName = "Alice";                // sent URL-encoded in USR OK
    std::optional<RedirectAt> redirectFirst;
    bool closeAfterRedirect = false;                  // hang up right after the XFR NS
    bool refuseTicket = false;                        // answer even the right ticket with 911
    std::string protocols = "MSNP10 CVR0";            // the VER reply's list
    std::optional<std::string> synReply = "0 0 0 0";  // after "SYN id "; none: SYN goes unanswered
    std::vector<std::string> listLines;               // sent after the SYN reply (LSG, LST)
    // What follows "XFR id SB " in the answer to an XFR SB, given the script's e-mail; none: XFR SB
    // goes unanswered.
    std::function<std::string(const std::string& email)> switchboard;
    // Lines sent after the answer to a connection's first CHG, given its transaction id: the
    // contacts online (ILN).
    std::function<std::vector<std::string>(const std::string& id)> onlineLines;
    // ADC and REM answered by repeating them (a forward-list ADC gets a contact id), as a server
    // that accepts every list edit.
    bool acceptListEdits = false;
    // Real servers' habits: trailing spaces on every line and an unknown or ignorable line
    // ("QNG 50", "BLP 0 AL", "SBS 0 null") before every other reply.
    bool noise = false;
  };
  struct Line {          // one command the client sent
    int connection = 0;  // 1 for the first accepted connection, counted over both ports
    Listener listener = Listener::Main;
    std::string text;     // without the line end
    std::string payload;  // of QRY and MSG
    [[nodiscard]] std::string_view Word() const { return std::string_view(text).substr(0, text.find(' ')); }
  };
  struct Connection {
    Listener listener = Listener::Main;
    bool open = true;
    bool redirected = false;  // answered with XFR NS
    bool loggedIn = false;    // answered with USR OK
  };
  struct Log {
    std::vector<Connection> connections;  // connection n is connections[n - 1]
    std::vector<Line> lines;
    std::vector<std::string> violations;
    [[nodiscard]] int Count(std::string_view word) const;                  // lines starting with the command word
    [[nodiscard]] int Count(Listener listener) const;                      // connections accepted on that port
    [[nodiscard]] std::vector<std::string> LinesOf(int connection) const;  // their texts
  };

  MsnServer();
  explicit MsnServer(Script script);
  ~MsnServer();
  MsnServer(const MsnServer&) = delete;
  MsnServer& operator=(const MsnServer&) = delete;

  [[nodiscard]] uint16_t Port() const { return port_; }
  [[nodiscard]] uint16_t RedirectPort() const { return redirectPort_; }

  [[nodiscard]] Log Snapshot() const;
  [[nodiscard]] std::vector<std::string> Violations() const { return Snapshot().violations; }
  // Waits until the predicate holds on the log; it runs under the lock, so it must not call back.
  bool WaitFor(const std::function<bool(const Log&)>& predicate,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

  // Actions on the newest connection (over both ports); false when it is not open.
  bool Send(std::string_view line);  // the line end is added; a CHG confirms the presence
  bool SendBytes(std::string_view bytes);
  // "CHL 0 <challenge>"; the QRY that answers it is then expected.
  bool SendChallenge(std::string_view challenge = "15570131571988941333");
  // "OUT", or "OUT <reason>" such as OTH, and then perhaps hang up at once.
  bool SendOut(std::string_view reason = "", bool thenClose = false);
  bool Silence();                              // it answers nothing from now on
  bool Drop();                                 // closes it

  // Every byte but 0-9 A-Z a-z . - _ @ as % and two lower-case hex digits.
  [[nodiscard]] static std::string UrlEncode(std::string_view text);

 private:
  struct Session;
  void Serve(int socket, Listener listener);
  void Handle(Session& session, Line line, bool crlf);
  void Check(Session& session, const Line& line, const std::vector<std::string_view>& tokens,
             std::vector<std::string>& problems);
  void Answer(Session& session, const Line& line, const std::vector<std::string_view>& tokens);
  bool Redirect(Session& session, RedirectAt step, std::string_view id);
  bool Reply(Session& session, const std::string& line);  // unless silenced
  // Writes the line (with noise before a reply when the script asks for it); then perhaps hangs
  // up at once, before the client can answer.
  bool Emit(Session& session, const std::string& line, bool reply, bool thenHangUp = false);
  void Violation(const Session& session, const std::string& what);
  void Update(const Session& session, const std::function<void(Connection&)>& change);
  bool OnCurrent(const std::function<bool(Session&)>& action);

  const Script script_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Log log_;
  std::shared_ptr<Session> current_;  // guarded by mutex_
  bool redirectUsed_ = false;         // guarded by mutex_
  std::atomic<uint16_t> port_{0}, redirectPort_{0};
  // Last, so that they stop and join their handlers before the state above goes.
  std::unique_ptr<LoopbackServer> mainServer_, redirectServer_;
};

}  // namespace quelt::test
