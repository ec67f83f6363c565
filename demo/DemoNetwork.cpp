#include "DemoNetwork.h"

#include <algorithm>
#include <charconv>
#include <sstream>

#include "DemoCast.h"
#include "core/PasswordScrambler.h"
#include "platform/TextCodec.h"

namespace quelt::demo {

using namespace std::chrono_literals;
using test::MsnServer;
using test::MsnSwitchboardServer;
using test::OscarServer;

namespace {

constexpr uint16_t kUtf16Charset = 0x0002;
constexpr auto kTypingAfter = 700ms, kAnswerAfter = 2200ms;

std::string Ticket() { return "t=demo-ticket&p=demo-profile"; }

std::vector<test::oscar::Item> IcqList() {
  std::vector<test::oscar::Item> items;
  uint16_t itemId = 100;
  std::map<uint16_t, std::vector<uint16_t>> members;
  for (const IcqPerson& person : IcqPeople()) {
    if (person.group == 0) continue;
    members[person.group].push_back(itemId);
    items.push_back(test::oscar::ContactItem(person.uin, person.group, itemId++, person.name));
  }
  for (const Group& group : IcqGroups())
    items.push_back(test::oscar::GroupItem(group.name, group.id, members[group.id]));
  return items;
}

// What user information and searches find; the texts travel in the code page, so the people
// with Latin names only, and the stranger who asks for authorization.
std::vector<test::oscar::Profile> IcqProfiles() {
  std::vector<test::oscar::Profile> profiles = {
      {.uin = kIcqAsker, .nickname = "Katya", .firstName = "Katya", .city = "Riga", .authorization = 1}};
  for (const IcqPerson& person : IcqPeople()) {
    const bool latin = std::all_of(person.name.begin(), person.name.end(), [](char c) { return uint8_t(c) < 0x80; });
    if (!latin) continue;
    const size_t space = person.name.find(' ');
    profiles.push_back({.uin = person.uin,
                        .nickname = person.name.substr(0, space),
                        .firstName = person.name.substr(0, space),
                        .lastName = space == std::string::npos ? "" : person.name.substr(space + 1)});
  }
  return profiles;
}

std::vector<std::string> MsnList() {
  std::vector<std::string> lines;
  for (const Group& group : MsnGroups()) {
    lines.push_back("LSG " + MsnServer::UrlEncode(group.name) + " " + std::to_string(group.id));
  }
  int number = 1;
  for (const MsnPerson& person : MsnPeople()) {
    lines.push_back("LST N=" + person.email + " F=" + MsnServer::UrlEncode(person.name) + " C=c-" +
                    std::to_string(number++) + " 11 " + std::to_string(person.group));
  }
  return lines;
}

const MsnPerson* MsnPersonOf(std::string_view email) {
  for (const MsnPerson& person : MsnPeople()) {
    if (person.email == email) return &person;
  }
  return nullptr;
}

// The text of a plain-text MSG payload; none for typing notices and other kinds.
std::optional<std::string> PlainText(const std::string& payload) {
  const size_t end = payload.find("\r\n\r\n");
  if (end == std::string::npos) return std::nullopt;
  const std::string headers = payload.substr(0, end);
  if (headers.find("text/plain") == std::string::npos) return std::nullopt;
  return payload.substr(end + 4);
}

std::string SetKey(std::string text, std::string_view key, const std::string& value) {
  const std::string line = std::string(key) + "=" + value + "\r\n";
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find('\n', at);
    const size_t next = end == std::string::npos ? text.size() : end + 1;
    if (text.compare(at, key.size() + 1, std::string(key) + "=") == 0) return text.replace(at, next - at, line);
    at = next;
  }
  if (!text.empty() && text.back() != '\n') text += "\r\n";
  return text + line;
}

}  // namespace

DemoPorts DemoPorts::From(uint16_t base) {
  if (base == 0) return {};
  return {base, uint16_t(base + 1), uint16_t(base + 2), uint16_t(base + 3)};
}

std::optional<uint16_t> DemoPorts::ParseBase(std::string_view text) {
  unsigned base = 0;
  const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), base);
  if (problem != std::errc() || end != text.data() + text.size() || base > 65532) return std::nullopt;
  return uint16_t(base);
}

DemoNetwork::DemoNetwork(Reporter report, DemoTimings timings) : report_(std::move(report)), timings_(timings) {
  for (const MsnPerson& person : MsnPeople()) msnPresence_[person.email] = person.status;
}

DemoNetwork::~DemoNetwork() { timeline_.Stop(); }

std::unique_ptr<DemoNetwork> DemoNetwork::Start(const DemoPorts& wanted, std::string& error, Reporter report,
                                                DemoTimings timings) {
  std::unique_ptr<DemoNetwork> network(new DemoNetwork(std::move(report), timings));
  DemoNetwork& n = *network;
  const auto taken = [&error](uint16_t port, uint16_t got, const char* what) {
    if (got != 0 && (port == 0 || got == port)) return false;
    error = "port " + std::to_string(port) + " (" + what + ") is already in use";
    return true;
  };

  n.passport_ = std::make_unique<test::PassportServer>(test::PassportServer::Certificate::Trusted, wanted.passport);
  if (taken(wanted.passport, n.passport_->Port(), "Passport")) return nullptr;
  n.passport_->SetAccount(kMsnEmail, kPassword, Ticket());

  MsnSwitchboardServer::Script rooms;
  rooms.port = wanted.switchboard;
  for (const MsnPerson& person : MsnPeople()) rooms.names[person.email] = person.name;
  rooms.heard = [&n](int connection, const std::vector<std::string>& simulated, const std::string& payload) {
    n.OnMsnHeard(connection, simulated, payload);
  };
  n.switchboards_ = std::make_unique<MsnSwitchboardServer>(rooms);
  if (taken(wanted.switchboard, n.switchboards_->Port(), "MSN switchboard")) return nullptr;

  MsnServer::Script msn;
  msn.port = wanted.msn;
  msn.email = kMsnEmail;
  msn.password = kPassword;
  msn.ticket = Ticket();
  msn.displayName = "You";
  msn.listLines = MsnList();
  msn.synReply = "1 1 " + std::to_string(MsnPeople().size()) + " " + std::to_string(MsnGroups().size());
  msn.switchboard = [&n](const std::string& email) { return n.switchboards_->Grant(email); };
  msn.onlineLines = [&n](const std::string& id) { return n.OnMsnSignedIn(id); };
  msn.acceptListEdits = true;
  n.msn_ = std::make_unique<MsnServer>(std::move(msn));
  if (taken(wanted.msn, n.msn_->Port(), "MSN")) return nullptr;

  OscarServer::Script icq;
  icq.loginPort = wanted.icq;
  icq.uin = kIcqUin;
  icq.password = kPassword;
  icq.bosOnLoginPort = true;
  icq.list = IcqList();
  icq.listDate = 0x64000000;
  icq.deliver = [&n](const std::string& from, const std::string& to, const test::oscar::MessageText& text) {
    return n.OnIcqMessage(from, to, text);
  };
  icq.signedOn = [&n](const std::string& uin) { n.OnIcqSignedOn(uin); };
  icq.profiles = IcqProfiles();
  n.oscar_ = std::make_unique<OscarServer>(std::move(icq));
  if (taken(wanted.icq, n.oscar_->LoginPort(), "ICQ")) return nullptr;

  for (const IcqPerson& person : IcqPeople()) {
    if (person.status) n.oscar_->SetPresence(person.uin, person.status);
  }
  n.oscar_->StoreOffline({kIcqOfflineSender, kIcqUin, kIcqOfflineText, {2026, 12, 1, 18, 30}});
  return network;
}

DemoPorts DemoNetwork::Ports() const {
  return {oscar_->LoginPort(), msn_->Port(), switchboards_->Port(), passport_->Port()};
}

std::string DemoNetwork::Settings(std::string_view existing, const std::filesystem::path& caFile) const {
  const DemoPorts ports = Ports();
  const auto address = [](uint16_t port) { return "127.0.0.1:" + std::to_string(port); };
  std::string text(existing);
  if (text.empty()) {
    text = std::string("ICQ_ENABLED=TRUE\r\nUIN=") + kIcqUin + "\r\nPASSWORD=" + kPassword +
           "\r\nMSN_ENABLED=TRUE\r\nMSN_EMAIL=" + kMsnEmail +
           "\r\nMSN_PASSWORD=" + platform::Utf16ToUtf8(core::EncodePassword(platform::Utf8ToUtf16(kPassword))) +
           "\r\nAUTO_CONNECT=TRUE\r\nICQ_AUTO_STATUS=0\r\nMSN_AUTO_STATUS=1\r\nSHOW_OFFLINE=TRUE\r\n";
  }
  text = SetKey(text, "LOGINHOSTS", address(ports.icq));
  text = SetKey(text, "MSN_SERVER", address(ports.msn));
  text = SetKey(text, "MSN_NEXUS", address(ports.passport));
  return SetKey(text, "MSN_CA_FILE", caFile.string());
}

bool DemoNetwork::WaitSignedIn(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [this] { return icqSignedIn_ && msnSignedIn_; });
}

void DemoNetwork::Report(const std::string& line) const {
  if (report_) report_(line);
}

void DemoNetwork::OnIcqSignedOn(const std::string& uin) {
  if (uin != kIcqUin) return;
  bool ask = false, restless = false;
  {
    std::lock_guard lock(mutex_);
    icqSignedIn_ = true;
    ask = !std::exchange(asked_, true);
    restless = !std::exchange(restless_, true);
  }
  changed_.notify_all();
  Report("ICQ: " + uin + " signed in");
  if (ask) {
    timeline_.After(timings_.askAuthorization, [this] { oscar_->SendAuthorizationRequest(kIcqAsker, kIcqAskReason); });
  }
  if (restless) timeline_.After(timings_.presenceEvery, [this] { Restless(0); });
}

bool DemoNetwork::OnIcqMessage(const std::string& from, const std::string& to, const test::oscar::MessageText& text) {
  const bool known = std::any_of(IcqPeople().begin(), IcqPeople().end(),
                                 [&to](const IcqPerson& person) { return person.uin == to && person.status; });
  if (!known || to != kIcqAnswering) return known;  // the others read and say nothing
  const bool utf16 = text.charset == kUtf16Charset;
  const std::string said =
      utf16 ? platform::Utf16ToUtf8(platform::DecodeCodePage(text.bytes, platform::kUtf16BeCodePage).text) : text.bytes;
  Report("ICQ: " + to + " answers " + from);
  timeline_.After(kTypingAfter, [this, from, to] { oscar_->SendTyping(from, to, true); });
  timeline_.After(kAnswerAfter, [this, from, to, said, utf16] {
    oscar_->SendTyping(from, to, false);
    oscar_->SendChannel2(from, to, EchoOf(said), utf16);
  });
  return true;
}

std::vector<std::string> DemoNetwork::OnMsnSignedIn(const std::string& id) {
  std::vector<std::string> lines;
  bool invite = false;
  {
    std::lock_guard lock(mutex_);
    msnSignedIn_ = true;
    invite = !std::exchange(invited_, true);
    for (const auto& [email, status] : msnPresence_) {
      if (status.empty()) continue;
      const MsnPerson* person = MsnPersonOf(email);
      lines.push_back("ILN " + id + " " + status + " " + email + " " + MsnServer::UrlEncode(person->name) + " 0");
    }
  }
  changed_.notify_all();
  Report(std::string("MSN: ") + kMsnEmail + " signed in");
  if (invite) timeline_.After(timings_.inviteToChat, [this] { InviteToGroupChat(); });
  return lines;
}

void DemoNetwork::OnMsnHeard(int connection, const std::vector<std::string>& simulated, const std::string& payload) {
  const auto text = PlainText(payload);
  if (!text) return;
  std::string answering;
  for (const char* who : {kMsnAnswering, kMsnThird}) {
    if (std::find(simulated.begin(), simulated.end(), who) != simulated.end()) {
      answering = who;
      break;
    }
  }
  if (answering.empty()) return;
  Report("MSN: " + answering + " answers");
  timeline_.After(kTypingAfter, [this, connection, answering] {
    switchboards_->Say(connection, answering, MsnSwitchboardServer::TypingPayload(answering));
  });
  timeline_.After(kAnswerAfter, [this, connection, answering, echo = EchoOf(*text)] {
    switchboards_->Say(connection, answering, MsnSwitchboardServer::TextPayload(echo));
  });
}

void DemoNetwork::InviteToGroupChat() {
  const MsnPerson* inviter = MsnPersonOf(kMsnInviter);
  const MsnPerson* third = MsnPersonOf(kMsnThird);
  const std::string ring =
      switchboards_->Invite(kMsnEmail, {{inviter->email, inviter->name}, {third->email, third->name}});
  int room = 0;
  std::istringstream words(ring);
  std::string word;
  words >> word >> room;
  if (!msn_->Send(ring)) return;
  Report("MSN: " + inviter->email + " invites you into a chat with " + third->email);
  timeline_.After(1s, [this, room] { GreetInvitedRoom(room, 20); });
}

// Once the user's client has answered the invitation, the two in the room start talking.
void DemoNetwork::GreetInvitedRoom(int room, int triesLeft) {
  const auto log = switchboards_->Snapshot();
  int connection = 0;
  for (size_t i = 0; i < log.connections.size(); ++i) {
    if (log.connections[i].room == room && log.connections[i].open) connection = int(i) + 1;
  }
  if (connection == 0) {
    if (triesLeft > 0) timeline_.After(1s, [this, room, triesLeft] { GreetInvitedRoom(room, triesLeft - 1); });
    return;
  }
  timeline_.After(1s, [this, connection] {
    switchboards_->Say(connection, kMsnInviter,
                       MsnSwitchboardServer::TextPayload("Привет! Mark and I are planning the weekend. Are you in?"));
  });
  timeline_.After(3s, [this, connection] {
    switchboards_->Say(connection, kMsnThird, MsnSwitchboardServer::TextPayload("Hi there :-) Say something!"));
  });
}

// Now and then someone's presence changes on each service.
void DemoNetwork::Restless(int step) {
  static const uint16_t kIvan[] = {0x0000, 0x0001};
  static const std::optional<uint16_t> kMarco[] = {0x0004, std::nullopt, 0x0000};
  static const char* const kDmitry[] = {"NLN", "AWY", "BSY"};
  oscar_->SetPresence("100202", kIvan[step % 2]);
  oscar_->SetPresence("100203", kMarco[step % 3]);
  const std::string status = kDmitry[step % 3];
  const MsnPerson* dmitry = MsnPersonOf("dmitry@demo.example");
  {
    std::lock_guard lock(mutex_);
    msnPresence_[dmitry->email] = status;
  }
  msn_->Send("NLN " + status + " " + dmitry->email + " " + MsnServer::UrlEncode(dmitry->name) + " 0");
  timeline_.After(timings_.presenceEvery, [this, step] { Restless(step + 1); });
}

}  // namespace quelt::demo
