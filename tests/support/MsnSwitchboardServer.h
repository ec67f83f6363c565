#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "support/LoopbackServer.h"

namespace quelt::test {

// A switchboard server on 127.0.0.1 for end-to-end tests of MSN conversations.
//
// It keeps rooms. A client enters a room with "USR id email cookie", the cookie coming from
// Grant (what a notification server hands out with XFR SB), or with "ANS id email cookie session"
// after an invitation (RNG). In a room, MSG, JOI, IRO, BYE, ACK and NAK flow as on a real
// switchboard: a client's MSG is relayed to the room's other clients, CAL rings the callee and
// JOI tells the room about whoever arrives.
//
// Members that are not real clients are simulated: a CAL for an address without a ringer makes
// it join at once (unless the Script says otherwise), and a test can make a simulated member
// join, type, talk or leave. The server checks every client line (line ends, transaction ids,
// the USR/ANS/CAL/MSG/OUT forms, the MSG payload layout and header order) and records each fault
// as a violation, which tests usually assert to be absent.
// Thread-safe; the destructor closes every connection and joins.
class MsnSwitchboardServer {
 public:
  enum class AckMode { Ack, Nak, None };  // the answer to "MSG id A"
  struct Script {
    bool simulatedJoin = true;  // CAL of an address with no ringer: it joins at once
    AckMode ack = AckMode::Ack;
    uint16_t port = 0;  // 0: a free one
    // Display names of simulated members by e-mail; the e-mail stands for those not named.
    std::map<std::string, std::string, std::less<>> names;
    // Every MSG a client sends into a room with simulated members: the connection, the simulated
    // members' e-mails and the payload. Called under the server's locks: it must not call back.
    std::function<void(int, const std::vector<std::string>&, const std::string&)> heard;
  };
  struct Line {           // one command a client sent
    int connection = 0;   // 1 for the first accepted connection
    std::string text;     // without the line end
    std::string payload;  // of MSG
    [[nodiscard]] std::string_view Word() const { return std::string_view(text).substr(0, text.find(' ')); }
  };
  struct Connection {
    std::string email;  // once it entered a room
    int room = 0;       // 0 before USR/ANS succeeded
    bool open = true;
  };
  struct Log {
    std::vector<Connection> connections;  // connection n is connections[n - 1]
    std::vector<Line> lines;
    std::vector<std::string> violations;
    [[nodiscard]] int Count(std::string_view word) const;                  // lines starting with the word
    [[nodiscard]] std::vector<std::string> LinesOf(int connection) const;  // their texts
    // The newest connection that entered a room as `email`; 0 when none.
    [[nodiscard]] int ConnectionOf(std::string_view email) const;
  };

  // Two constructors rather than a default argument: GCC cannot use the Script's member
  // initializers before the enclosing class is complete.
  MsnSwitchboardServer();
  explicit MsnSwitchboardServer(Script script);
  ~MsnSwitchboardServer();
  MsnSwitchboardServer(const MsnSwitchboardServer&) = delete;
  MsnSwitchboardServer& operator=(const MsnSwitchboardServer&) = delete;

  [[nodiscard]] uint16_t Port() const;

  // A new room for `email`: what follows "XFR id SB " in the notification server's reply,
  // "127.0.0.1:<port> CKI <cookie>".
  [[nodiscard]] std::string Grant(std::string_view email);
  // Where an invitation for `email` goes: `ring` gets the RNG line (without its line end), which
  // the callee's notification server should send. An address with a ringer is never simulated.
  void SetRinger(std::string email, std::function<void(const std::string& rngLine)> ring);
  // An invitation of `email` into a new room that the simulated `members` (e-mail, name) are in
  // already: the RNG line naming the first member as the caller.
  [[nodiscard]] std::string Invite(std::string_view email,
                                   const std::vector<std::pair<std::string, std::string>>& members);

  // Simulated members in the room of `connection`; false when that connection is not in a room.
  bool Join(int connection, const std::string& email, const std::string& name);  // JOI to the room
  bool Leave(int connection, const std::string& email);                          // BYE to the room
  // "MSG email name <length>" and the payload, to every client in the room.
  bool Say(int connection, const std::string& email, std::string_view payload);
  // Raw bytes to one connection, and closing it.
  bool SendRaw(int connection, std::string_view bytes);
  bool Drop(int connection);

  [[nodiscard]] Log Snapshot() const;
  [[nodiscard]] std::vector<std::string> Violations() const { return Snapshot().violations; }
  // Waits until the predicate holds on the log; it runs under the lock, so it must not call back.
  bool WaitFor(const std::function<bool(const Log&)>& predicate,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

  // A text message's payload as clients send it: the two headers, a blank line, the UTF-8 text.
  [[nodiscard]] static std::string TextPayload(std::string_view utf8);
  // A typing notice's payload for `email`.
  [[nodiscard]] static std::string TypingPayload(std::string_view email);

 private:
  struct Client;
  struct Room;
  struct Cookie {  // one entry into a room
    int room = 0;
    std::string email;
    bool invitation = false;  // for ANS after an RNG; otherwise for USR
  };
  using Ringer = std::function<void(const std::string&)>;
  struct Ring {  // an RNG to hand out once the locks are released
    Ringer ringer;
    std::string line;
  };
  void Serve(int socket);
  void Handle(const std::shared_ptr<Client>& client, Line line, bool crlf);
  void Check(Client& client, const Line& line, const std::vector<std::string_view>& tokens,
             std::vector<std::string>& problems);
  // The rest run under order_.
  void Answer(const std::shared_ptr<Client>& client, const Line& line, const std::vector<std::string_view>& tokens,
              Ring& ring);
  void Enter(const std::shared_ptr<Client>& client, const std::vector<std::string_view>& tokens);
  void Call(const std::shared_ptr<Client>& client, const std::vector<std::string_view>& tokens, Ring& ring);
  void Relay(const std::shared_ptr<Client>& client, const Line& line, const std::vector<std::string_view>& tokens);
  void LeaveRoom(const std::shared_ptr<Client>& client);  // BYE to the others, once
  // Sends to every real client in the room but `except`.
  static void ToRoom(const Room& room, std::string_view bytes, const Client* except);
  std::string NewCookie(int room, std::string_view email, bool invitation);
  std::string Address() const;  // "127.0.0.1:<port>"
  std::shared_ptr<Client> Find(int connection) const;
  Room* RoomOf(int connection);  // of an open connection in a room; null otherwise

  const Script script_;
  // Taken before mutex_, and held while the room changes and while what the change sends is
  // written, so that every client hears of a room's events in the order they happened.
  std::mutex order_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Log log_;                                       // guarded by mutex_
  std::map<int, std::shared_ptr<Room>> rooms_;    // guarded by order_
  std::map<std::string, Cookie> cookies_;         // guarded by order_
  std::vector<std::shared_ptr<Client>> clients_;  // by connection number - 1; guarded by mutex_
  std::map<std::string, Ringer> ringers_;         // guarded by mutex_
  int nextRoom_ = 1;                              // guarded by order_
  int nextCookie_ = 1;                            // guarded by order_
  std::atomic<uint16_t> port_{0};
  // Last, so that it stops and joins its handlers before the state above goes.
  std::unique_ptr<LoopbackServer> server_;
};

}  // namespace quelt::test
