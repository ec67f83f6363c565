#include "support/MsnSwitchboardServer.h"

#include <sys/socket.h>

#include <algorithm>
#include <optional>

#include "support/MsnLineCutting.h"
#include "support/MsnServer.h"

namespace quelt::test {

namespace {

using msnline::Decimal;
using msnline::IsCommandWord;
using msnline::kMaxBuffered;
using msnline::kMaxPayload;
using msnline::Tokens;

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The layout of a MSG payload: "Name: value" lines in ascending byte order of their names, an
// empty line, the body; and the headers that each mode needs.
void CheckPayload(std::string_view mode, std::string_view payload, std::string_view email,
                  std::vector<std::string>& problems) {
  std::vector<std::pair<std::string_view, std::string_view>> headers;
  size_t at = 0;
  while (true) {
    const size_t end = payload.find("\r\n", at);
    if (end == std::string_view::npos) {
      problems.push_back("MSG payload headers without the empty line after them");
      return;
    }
    const std::string_view header = payload.substr(at, end - at);
    at = end + 2;
    if (header.empty()) break;
    const size_t colon = header.find(": ");
    if (colon == std::string_view::npos || colon == 0 ||
        header.substr(0, colon).find_first_of(" :") != std::string_view::npos) {
      problems.push_back("a MSG header that is not \"Name: value\": " + Quoted(header));
      continue;
    }
    headers.emplace_back(header.substr(0, colon), header.substr(colon + 2));
  }
  const std::string_view body = payload.substr(at);
  for (size_t i = 1; i < headers.size(); ++i) {
    if (!(headers[i - 1].first < headers[i].first))
      problems.push_back("MSG headers out of order: " + Quoted(headers[i - 1].first) + " before " +
                         Quoted(headers[i].first));
  }
  const auto require = [&](std::string_view name, std::string_view value) {
    const std::pair<std::string_view, std::string_view> wanted(name, value);
    if (std::find(headers.begin(), headers.end(), wanted) == headers.end())
      problems.push_back("MSG " + std::string(mode) + " without " +
                         Quoted(std::string(name) + ": " + std::string(value)));
  };
  require("MIME-Version", "1.0");
  if (mode == "A") require("Content-Type", "text/plain; charset=UTF-8");
  if (mode == "U") {
    require("Content-Type", "text/x-msmsgscontrol");
    require("TypingUser", email);
    if (body != "\r\n") problems.push_back("a typing notice whose body is not an empty line");
  }
}

}  // namespace

// One client connection, shared by its thread, the room it is in and the test's actions.
struct MsnSwitchboardServer::Client {
  int socket = -1;
  int number = 0;
  std::mutex writing;  // guards the socket's writes and `open`
  bool open = true;
  // Guarded by order_; the connection's own thread, which alone changes them, reads them freely.
  std::string email;
  int room = 0;         // the room it entered; it stays after leaving
  bool inRoom = false;  // a member now
  // The connection's own thread alone uses the rest.
  int nextId = 1;
  bool closing = false;  // after OUT: the lines after it are not read

  bool Write(std::string_view bytes) {
    std::lock_guard lock(writing);
    return open && LoopbackServer::SendAll(socket, bytes);
  }
  bool Shut() {
    std::lock_guard lock(writing);
    return open && shutdown(socket, SHUT_RDWR) == 0;
  }
};

struct MsnSwitchboardServer::Room {
  struct Member {
    std::string email, name;
    std::shared_ptr<Client> client;  // none for a simulated member
  };
  int number = 0;
  std::vector<Member> members;  // in the order they joined

  [[nodiscard]] bool Has(std::string_view email) const {
    return std::any_of(members.begin(), members.end(), [email](const Member& m) { return m.email == email; });
  }
};

int MsnSwitchboardServer::Log::Count(std::string_view word) const {
  return int(std::count_if(lines.begin(), lines.end(), [word](const Line& line) { return line.Word() == word; }));
}

std::vector<std::string> MsnSwitchboardServer::Log::LinesOf(int connection) const {
  std::vector<std::string> texts;
  for (const Line& line : lines) {
    if (line.connection == connection) texts.push_back(line.text);
  }
  return texts;
}

int MsnSwitchboardServer::Log::ConnectionOf(std::string_view email) const {
  for (size_t n = connections.size(); n > 0; --n) {
    if (connections[n - 1].room != 0 && connections[n - 1].email == email) return int(n);
  }
  return 0;
}

MsnSwitchboardServer::MsnSwitchboardServer() : MsnSwitchboardServer(Script()) {}

MsnSwitchboardServer::MsnSwitchboardServer(Script script)
    : script_(script), server_(std::make_unique<LoopbackServer>([this](int socket) { Serve(socket); }, script_.port)) {
  port_ = server_->Port();
}

MsnSwitchboardServer::~MsnSwitchboardServer() = default;

uint16_t MsnSwitchboardServer::Port() const { return port_; }

std::string MsnSwitchboardServer::Address() const { return "127.0.0.1:" + std::to_string(port_); }

std::string MsnSwitchboardServer::NewCookie(int room, std::string_view email, bool invitation) {
  std::string cookie = "c" + std::to_string(nextCookie_++) + ".room" + std::to_string(room);
  cookies_[cookie] = {room, std::string(email), invitation};
  return cookie;
}

std::string MsnSwitchboardServer::Grant(std::string_view email) {
  std::lock_guard order(order_);
  const int room = nextRoom_++;
  rooms_[room] = std::make_shared<Room>(Room{.number = room});
  return Address() + " CKI " + NewCookie(room, email, false);
}

void MsnSwitchboardServer::SetRinger(std::string email, std::function<void(const std::string& rngLine)> ring) {
  std::lock_guard lock(mutex_);
  ringers_[std::move(email)] = std::move(ring);
}

std::string MsnSwitchboardServer::Invite(std::string_view email,
                                         const std::vector<std::pair<std::string, std::string>>& members) {
  std::lock_guard order(order_);
  const int room = nextRoom_++;
  auto created = std::make_shared<Room>(Room{.number = room});
  for (const auto& [memberEmail, name] : members) created->members.push_back({memberEmail, name, nullptr});
  rooms_[room] = created;
  std::string line = "RNG " + std::to_string(room) + " " + Address() + " CKI " + NewCookie(room, email, true);
  if (!members.empty()) line += " " + members.front().first + " " + MsnServer::UrlEncode(members.front().second);
  return line;
}

std::shared_ptr<MsnSwitchboardServer::Client> MsnSwitchboardServer::Find(int connection) const {
  std::lock_guard lock(mutex_);
  return connection >= 1 && size_t(connection) <= clients_.size() ? clients_[size_t(connection) - 1] : nullptr;
}

MsnSwitchboardServer::Room* MsnSwitchboardServer::RoomOf(int connection) {
  const auto client = Find(connection);
  if (!client || !client->inRoom) return nullptr;
  {
    std::lock_guard lock(client->writing);
    if (!client->open) return nullptr;
  }
  const auto room = rooms_.find(client->room);
  return room == rooms_.end() ? nullptr : room->second.get();
}

void MsnSwitchboardServer::ToRoom(const Room& room, std::string_view bytes, const Client* except) {
  for (const auto& member : room.members) {
    if (member.client && member.client.get() != except) member.client->Write(bytes);
  }
}

bool MsnSwitchboardServer::Join(int connection, const std::string& email, const std::string& name) {
  std::lock_guard order(order_);
  Room* room = RoomOf(connection);
  if (!room) return false;
  room->members.push_back({email, name, nullptr});
  ToRoom(*room, "JOI " + email + " " + MsnServer::UrlEncode(name) + "\r\n", nullptr);
  return true;
}

bool MsnSwitchboardServer::Leave(int connection, const std::string& email) {
  std::lock_guard order(order_);
  Room* room = RoomOf(connection);
  if (!room) return false;
  const auto member = std::find_if(room->members.begin(), room->members.end(),
                                   [&](const Room::Member& m) { return !m.client && m.email == email; });
  if (member == room->members.end()) return false;
  room->members.erase(member);
  ToRoom(*room, "BYE " + email + "\r\n", nullptr);
  return true;
}

bool MsnSwitchboardServer::Say(int connection, const std::string& email, std::string_view payload) {
  std::lock_guard order(order_);
  Room* room = RoomOf(connection);
  if (!room) return false;
  ToRoom(*room,
         "MSG " + email + " " + MsnServer::UrlEncode(email) + " " + std::to_string(payload.size()) + "\r\n" +
             std::string(payload),
         nullptr);
  return true;
}

bool MsnSwitchboardServer::SendRaw(int connection, std::string_view bytes) {
  std::lock_guard order(order_);
  const auto client = Find(connection);
  return client && client->Write(bytes);
}

bool MsnSwitchboardServer::Drop(int connection) {
  const auto client = Find(connection);
  return client && client->Shut();
}

MsnSwitchboardServer::Log MsnSwitchboardServer::Snapshot() const {
  std::lock_guard lock(mutex_);
  return log_;
}

bool MsnSwitchboardServer::WaitFor(const std::function<bool(const Log&)>& predicate,
                                   std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return predicate(log_); });
}

std::string MsnSwitchboardServer::TextPayload(std::string_view utf8) {
  return "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\n\r\n" + std::string(utf8);
}

std::string MsnSwitchboardServer::TypingPayload(std::string_view email) {
  return "MIME-Version: 1.0\r\nContent-Type: text/x-msmsgscontrol\r\nTypingUser: " + std::string(email) +
         "\r\n\r\n\r\n";
}

void MsnSwitchboardServer::Serve(int socket) {
  const auto client = std::make_shared<Client>();
  client->socket = socket;
  {
    std::lock_guard lock(mutex_);
    clients_.push_back(client);
    log_.connections.emplace_back();
    client->number = int(clients_.size());
  }
  changed_.notify_all();
  std::string buffer;
  for (std::string bytes; !client->closing && !(bytes = LoopbackServer::ReceiveSome(socket)).empty();) {
    buffer += bytes;
    size_t used = 0;
    while (!client->closing) {
      const auto cut = msnline::CutCommand(std::string_view(buffer).substr(used), {"MSG"}, kMaxPayload);
      if (!cut) break;
      used += cut->size;
      Handle(client, Line{.text = cut->text, .payload = cut->payload}, cut->crlf);
    }
    buffer.erase(0, used);
    if (buffer.size() > kMaxBuffered) {
      std::lock_guard lock(mutex_);
      log_.violations.push_back("connection " + std::to_string(client->number) + ": more than " +
                                std::to_string(kMaxBuffered) + " bytes without a whole command");
      break;
    }
  }
  {
    std::lock_guard order(order_);
    LeaveRoom(client);
  }
  {
    std::lock_guard lock(client->writing);
    client->open = false;
  }
  {
    std::lock_guard lock(mutex_);
    log_.connections[size_t(client->number) - 1].open = false;
  }
  changed_.notify_all();
}

void MsnSwitchboardServer::Handle(const std::shared_ptr<Client>& client, Line line, bool crlf) {
  line.connection = client->number;
  const auto tokens = Tokens(line.text);
  std::vector<std::string> problems;
  if (!crlf) problems.push_back("a line ending without CR: " + line.text);
  Check(*client, line, tokens, problems);
  {
    // A line enters the log together with what is wrong with it, so a test waiting for the line sees both.
    std::lock_guard lock(mutex_);
    log_.lines.push_back(line);
    for (const std::string& problem : problems)
      log_.violations.push_back("connection " + std::to_string(client->number) + ": " + problem);
  }
  changed_.notify_all();
  Ring ring;
  {
    std::lock_guard order(order_);
    Answer(client, line, tokens, ring);
  }
  // The ringer may well write to a notification server fixture; it runs with no lock of ours held.
  if (ring.ringer) ring.ringer(ring.line);
}

void MsnSwitchboardServer::Check(Client& c, const Line& line, const std::vector<std::string_view>& tokens,
                                 std::vector<std::string>& problems) {
  const auto flag = [&problems](std::string what) { problems.push_back(std::move(what)); };
  const std::string& text = line.text;
  const std::string word(tokens[0]);
  if (text.empty()) return flag("an empty line");
  if (!IsCommandWord(word)) return flag("not a command: " + text);
  if (std::any_of(tokens.begin(), tokens.end(), [](std::string_view token) { return token.empty(); }))
    flag("spaces other than single separators: " + Quoted(text));
  const bool entered = c.room != 0;
  if (word == "OUT") {
    if (text != "OUT") flag("OUT with more than its word: " + text);
    if (!entered) flag("OUT before entering a room");
    return;
  }
  const std::string id(tokens.size() > 1 ? tokens[1] : "");
  const auto number = Decimal(id);
  if (id != std::to_string(c.nextId))
    flag("transaction id " + Quoted(id) + " where " + std::to_string(c.nextId) + " was due: " + text);
  c.nextId = number ? int(*number) + 1 : c.nextId + 1;

  if (word == "USR" || word == "ANS") {
    if (entered) flag(word + " after entering a room");
    const bool usr = word == "USR";
    if (tokens.size() != (usr ? 4U : 5U) || (!usr && !Decimal(tokens[4])))
      flag(usr ? "USR is not \"USR id email cookie\": " + text : "ANS is not \"ANS id email cookie session\": " + text);
    return;
  }
  if (word != "CAL" && word != "MSG") return flag("an unknown command: " + text);
  if (!entered) flag(word + " before entering a room");
  if (word == "CAL") {
    if (tokens.size() != 3) flag("CAL is not \"CAL id email\": " + text);
    return;
  }
  const std::string_view mode = tokens.size() > 2 ? tokens[2] : "";
  if (tokens.size() != 4) flag("MSG is not \"MSG id mode length\": " + text);
  if (mode != "A" && mode != "N" && mode != "U") flag("MSG of an unknown mode: " + text);
  const auto length = Decimal(tokens.back());
  if (!length) return flag("MSG without a sound payload length: " + text);
  if (*length > kMaxPayload) return flag("MSG with a payload of more than 64 KiB: " + text);
  CheckPayload(mode, line.payload, c.email, problems);
}

void MsnSwitchboardServer::Answer(const std::shared_ptr<Client>& client, const Line& line,
                                  const std::vector<std::string_view>& tokens, Ring& ring) {
  const std::string_view word = tokens[0];
  if (word == "OUT") {
    LeaveRoom(client);
    client->closing = true;
    client->Shut();
  } else if (word == "USR" || word == "ANS") {
    Enter(client, tokens);
  } else if (client->inRoom && word == "CAL") {
    Call(client, tokens, ring);
  } else if (client->inRoom && word == "MSG") {
    Relay(client, line, tokens);
  }
}

void MsnSwitchboardServer::Enter(const std::shared_ptr<Client>& client, const std::vector<std::string_view>& tokens) {
  const bool usr = tokens[0] == "USR";
  const std::string id(tokens.size() > 1 ? tokens[1] : "");
  const auto cookie = tokens.size() == (usr ? 4U : 5U) ? cookies_.find(std::string(tokens[3])) : cookies_.end();
  const auto known = [&] {
    if (client->room != 0 || cookie == cookies_.end()) return false;
    const Cookie& entry = cookie->second;
    return entry.email == tokens[2] && entry.invitation == !usr && rooms_.count(entry.room) == 1 &&
           (usr || Decimal(tokens[4]) == size_t(entry.room));
  };
  if (!known()) {
    client->Write("911 " + id + "\r\n");
    return;
  }
  Room& room = *rooms_[cookie->second.room];
  cookies_.erase(cookie);
  const std::string email(tokens[2]);
  {
    std::lock_guard lock(mutex_);
    client->email = email;
    client->room = room.number;
    client->inRoom = true;
    auto& entry = log_.connections[size_t(client->number) - 1];
    entry.email = email;
    entry.room = room.number;
  }
  changed_.notify_all();
  if (usr) {
    client->Write("USR " + id + " OK " + email + " " + MsnServer::UrlEncode(email) + "\r\n");
  } else {
    std::string answer;
    const std::string total = std::to_string(room.members.size());
    for (size_t i = 0; i < room.members.size(); ++i) {
      const auto& member = room.members[i];
      answer += "IRO " + id + " " + std::to_string(i + 1) + " " + total + " " + member.email + " " +
                MsnServer::UrlEncode(member.name) + "\r\n";
    }
    client->Write(answer + "ANS " + id + " OK\r\n");
    ToRoom(room, "JOI " + email + " " + MsnServer::UrlEncode(email) + "\r\n", client.get());
  }
  room.members.push_back({email, email, client});
}

void MsnSwitchboardServer::Call(const std::shared_ptr<Client>& client, const std::vector<std::string_view>& tokens,
                                Ring& ring) {
  Room& room = *rooms_.at(client->room);
  const std::string id(tokens.size() > 1 ? tokens[1] : "");
  client->Write("CAL " + id + " RINGING " + std::to_string(room.number) + "\r\n");
  const std::string callee(tokens.size() > 2 ? tokens[2] : "");
  if (callee.empty() || room.Has(callee)) return;
  {
    std::lock_guard lock(mutex_);
    if (const auto found = ringers_.find(callee); found != ringers_.end()) ring.ringer = found->second;
  }
  if (ring.ringer) {
    ring.line = "RNG " + std::to_string(room.number) + " " + Address() + " CKI " +
                NewCookie(room.number, callee, true) + " " + client->email + " " + MsnServer::UrlEncode(client->email);
  } else if (script_.simulatedJoin) {
    const auto named = script_.names.find(callee);
    const std::string name = named == script_.names.end() ? callee : named->second;
    room.members.push_back({callee, name, nullptr});
    ToRoom(room, "JOI " + callee + " " + MsnServer::UrlEncode(name) + "\r\n", nullptr);
  }
}

void MsnSwitchboardServer::Relay(const std::shared_ptr<Client>& client, const Line& line,
                                 const std::vector<std::string_view>& tokens) {
  const auto length = tokens.size() == 4 ? Decimal(tokens[3]) : std::nullopt;
  if (length && *length == line.payload.size()) {
    const Room& room = *rooms_.at(client->room);
    std::vector<std::string> simulated;
    for (const auto& member : room.members) {
      if (!member.client) simulated.push_back(member.email);
    }
    if (script_.heard && !simulated.empty()) script_.heard(client->number, simulated, line.payload);
    ToRoom(room,
           "MSG " + client->email + " " + MsnServer::UrlEncode(client->email) + " " + std::to_string(*length) + "\r\n" +
               line.payload,
           client.get());
  }
  if (tokens.size() > 2 && tokens[2] == "A" && script_.ack != AckMode::None)
    client->Write((script_.ack == AckMode::Ack ? "ACK " : "NAK ") + std::string(tokens[1]) + "\r\n");
}

void MsnSwitchboardServer::LeaveRoom(const std::shared_ptr<Client>& client) {
  if (!client->inRoom) return;
  Room& room = *rooms_.at(client->room);
  std::erase_if(room.members, [&](const Room::Member& m) { return m.client == client; });
  client->inRoom = false;
  ToRoom(room, "BYE " + client->email + "\r\n", nullptr);
}

}  // namespace quelt::test
