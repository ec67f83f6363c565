#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"
#include "support/OscarBytes.h"

namespace quelt::test {

// A scripted OSCAR server on 127.0.0.1 that plays the login server and the basic-services (BOS)
// server for end-to-end tests of the ICQ sign-on.
//
// It listens on a login port and a BOS port. Every connection gets the hello at once; its role
// follows from the client's first channel-1 frame (UIN TLV: login, cookie TLV: BOS), so the BOS
// may also be reached on the login port. The server answers whatever arrives, in any order, as
// the Script says, records every frame the client sends and checks it against the wire layouts;
// a wrong byte is a violation, which a test usually asserts to be absent. The default Script is
// an ordinary successful sign-on. It answers every list check with the scripted list and every
// add, update and delete of list items with an acknowledgement of status 0 per item.
// Several accounts may be signed on at once: the server relays messages and typing notices
// between them, stores messages for accounts that are offline, tells every signed-on account
// of every other one's presence, and answers the meta service (offline messages, user info,
// searches) from the Script.
// Thread-safe; the destructor closes every connection and joins.
class OscarServer {
 public:
  enum class Role { Login, Bos };
  // Points of the dialogue, each named by the client frame that reaches it. Accept is the
  // moment a connection is taken, before the hello; its faults go by the port's role.
  // clang-format off
  enum class Step { Never, Accept, SignOn, Cookie, ClientVersions, RateRequest, RateAck, ListRights, ListCheck,
                    Activate, Status, ClientReady, OfflineRequest };
  // clang-format on
  struct Faults {
    Step dropAt = Step::Never;      // close instead of answering the frame of that step
    Step silentFrom = Step::Never;  // keep reading but answer nothing from that step on
    int dropAfterFrames = 0;        // close on receiving the nth frame (0: never)
    Step garbageAt = Step::Never;   // send `garbage` just before answering that step
    std::string garbage = std::string("\0\x07garbage", 9);
  };
  struct Account {
    std::string uin, password;
    bool unicode = true;  // its presence announces the UTF-8 capability
  };
  struct Stamp {  // UTC
    uint16_t year = 2007;
    uint8_t month = 1, day = 1, hour = 10, minute = 0;
    bool operator==(const Stamp&) const = default;
  };
  struct OfflineMessage {
    std::string from, to;
    std::string text;  // as the sender's client sent it
    Stamp time;
    bool operator==(const OfflineMessage&) const = default;
  };
  struct Script {
    uint16_t loginPort = 0;  // 0: a free one
    std::string uin = "123456789";
    std::string password = "secret";
    std::optional<uint16_t> refusalCode;  // refuse the login with this code,
    uint16_t refusalTlv = 0x0008;         // carried in this TLV (0x0008 or 0x0009)
    bool refuseWithoutCode = false;
    bool closeAfterLoginReply = false;           // hang up right after the redirect or the refusal
    bool bosOnLoginPort = false;                 // redirect to the login port
    std::optional<std::string> redirectAddress;  // replaces "127.0.0.1:<port>"
    std::string cookie = std::string(64, '\x5C') + "cookie";
    Faults login, bos;
    // Real servers' habits: unknown and extra commands, extra TLVs, an extra SNAC header.
    bool noise = false;
    std::vector<uint16_t> families = {0x0001, 0x0002, 0x0003, 0x0004, 0x0006, 0x0008,
                                      0x0009, 0x000A, 0x000B, 0x0013, 0x0015};
    std::vector<uint16_t> rateClasses = {1, 2, 3, 4, 5};  // ids; empty: announce none
    // The server's list, sent in `listParts` parts (flags 0x0001 on all but the last) in answer to
    // every list check; listParts 0 means one part when `list` has items, else list unchanged.
    std::vector<oscar::Item> list;
    int listParts = 0;
    uint32_t listDate = 0x5F5E1000;
    bool answerOfflineRequest = true;  // with the stored messages and the end-of-offline-messages reply
    // Accounts besides (or, listing `uin`, instead of) uin/password; the first match wins. The
    // BOS cookie names the account: `cookie` for `uin`, "cookie-<uin>" for the others.
    std::vector<Account> accounts;
    bool acknowledgeStored = true;         // false: drop messages sent with store-offline, unanswered
    std::optional<Stamp> storeTime;        // of messages stored for offline accounts; none: UTC arrival
    std::vector<oscar::Profile> profiles;  // what user-info requests and searches find
    std::optional<uint16_t> metaErrorFor;  // meta requests of this subtype get (0x15,0x01)
    // Messages for a UIN that is not signed on are offered here first (sender, recipient, text);
    // true takes them, so they are not stored. Called on the sender's connection thread.
    std::function<bool(const std::string&, const std::string&, const oscar::MessageText&)> deliver;
    // An account's client said it is ready (its UIN); called on its connection thread.
    std::function<void(const std::string&)> signedOn;
  };
  struct Frame {         // one frame the client sent
    int connection = 0;  // 1 for the first accepted connection
    Role role = Role::Login;
    uint8_t channel = 0;
    uint16_t sequence = 0;
    std::string payload;
    std::vector<oscar::TlvItem> tlvs;  // channels 1 and 4, after the version word
    uint16_t family = 0, subtype = 0, flags = 0;
    uint32_t requestId = 0;
    std::string data;  // SNAC data
    [[nodiscard]] bool Is(uint16_t f, uint16_t s) const { return channel == 2 && family == f && subtype == s; }
  };
  struct Connection {
    Role role = Role::Login;
    bool onBosPort = false;
    bool open = true;
    bool online = false;             // client ready received
    std::string uin;                 // BOS: the account its cookie names
    std::optional<uint16_t> status;  // as last set
  };
  struct Log {
    std::vector<Connection> connections;
    std::vector<Frame> frames;
    std::vector<std::string> violations;
    [[nodiscard]] int Count(Role role) const;
    [[nodiscard]] int Count(uint16_t family, uint16_t subtype) const;
    [[nodiscard]] bool Online(std::string_view uin) const;  // an open BOS connection sent client ready
    std::vector<OfflineMessage> offline;                    // stored now
    std::vector<std::string> offlineDeleted;                // the UIN of every delete request
  };

  OscarServer();
  explicit OscarServer(Script script);
  ~OscarServer();
  OscarServer(const OscarServer&) = delete;
  OscarServer& operator=(const OscarServer&) = delete;

  [[nodiscard]] uint16_t LoginPort() const { return loginPort_; }
  [[nodiscard]] uint16_t BosPort() const { return bosPort_; }

  [[nodiscard]] Log Snapshot() const;
  [[nodiscard]] std::vector<Frame> Frames() const { return Snapshot().frames; }
  [[nodiscard]] std::vector<std::string> Violations() const { return Snapshot().violations; }
  [[nodiscard]] int LoginConnections() const { return Snapshot().Count(Role::Login); }
  [[nodiscard]] int BosConnections() const { return Snapshot().Count(Role::Bos); }
  // Waits until the predicate holds on the log; it runs under the lock, so it must not call back.
  bool WaitFor(const std::function<bool(const Log&)>& predicate,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

  // Actions on the newest BOS connection; false when it is not open.
  bool SendToBos(uint8_t channel, std::string_view payload);
  bool SendBytesToBos(std::string_view bytes);
  bool DisconnectBos(uint16_t code, bool thenClose = false);  // channel 4 with TLV 0x0009
  bool DropBos();
  bool SilenceBos();
  // Another user asks for authorization (0x13,0x19), answers a request (0x13,0x1B) or added this one (0x13,0x1C).
  bool SendAuthorizationRequest(std::string_view uin, std::string_view reason);
  bool SendAuthorizationReply(std::string_view uin, uint8_t flag, std::string_view reason = "");
  bool SendAddedNotice(std::string_view uin);
  // A plain channel-2 message to the signed-on `to`, whose acknowledgement is then checked;
  // `text` is UTF-8 or, without `utf8`, code-page bytes. False when `to` is not signed on.
  bool SendChannel2(std::string_view to, std::string_view from, std::string_view text, bool utf8 = true);
  void StoreOffline(OfflineMessage message);
  // A user who is none of the accounts (a simulated contact) comes online with `status`, changes
  // it, or with nullopt goes offline; every signed-on account hears of it, and later ones at sign-on.
  void SetPresence(const std::string& uin, std::optional<uint16_t> status);
  // A typing notice (0x04,0x14) from `from` to the signed-on `to`; false when `to` is not.
  bool SendTyping(std::string_view to, std::string_view from, bool typing);
  void SetAcknowledgeStored(bool acknowledge) { acknowledgeStored_ = acknowledge; }
  // Replaces the list the following list checks get, as the script's three fields do.
  void SetList(std::vector<oscar::Item> items, uint32_t date, int parts = 0);

  // The items of an add, update or delete (0x13,0x08/0x09/0x0A); none for other frames.
  [[nodiscard]] static std::vector<oscar::Item> ItemsOf(const Frame& frame);
  [[nodiscard]] static std::optional<oscar::Meta> MetaOf(const Frame& frame);  // of a (0x15,0x02)

 private:
  struct Session;
  void Serve(int socket, bool bosPort);
  bool Handle(Session& session, const oscar::RawFrame& raw);
  bool Reached(Session& session, Step step);
  void AnswerLogin(Session& session, const Frame& frame);
  bool AnswerBos(Session& session, const Frame& frame);
  void Check(const Session& session, const Frame& frame);
  void Violation(const Session& session, const std::string& what);
  bool OnBos(const std::function<bool(Session&)>& action);
  [[nodiscard]] std::optional<Account> AccountOf(std::string_view uin) const;
  [[nodiscard]] std::string CookieOf(std::string_view uin) const;
  [[nodiscard]] std::string UinOfCookie(std::string_view cookie) const;  // empty: no account's
  std::shared_ptr<Session> SignedOn(std::string_view uin);
  void CheckMessaging(const Session& session, const Frame& frame);
  void CheckMeta(const Session& session, const Frame& frame);
  void Relay(Session& session, const Frame& frame);
  void Announce(Session& session, bool online);
  void AnswerMeta(Session& session, const Frame& frame);

  const Script script_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  Log log_;
  std::vector<oscar::Item> list_;  // the list state below is guarded by mutex_
  int listParts_ = 0;
  uint32_t listDate_ = 0;
  std::shared_ptr<Session> bos_;
  std::map<std::string, std::shared_ptr<Session>, std::less<>> signedOn_;  // by UIN
  std::map<std::string, uint16_t, std::less<>> simulated_;                 // presence of simulated users
  std::map<std::string, std::string> channel2Acks_;                        // the acknowledgement expected, by cookie
  uint32_t nextCookie_ = 1;
  std::atomic<bool> acknowledgeStored_;
  std::atomic<uint16_t> loginPort_{0}, bosPort_{0};
  // Last, so that they stop and join their handlers before the state above goes.
  std::unique_ptr<LoopbackServer> loginServer_, bosServer_;
};

}  // namespace quelt::test
