#include "support/MsnServer.h"

#include <sys/socket.h>

#include <algorithm>
#include <array>

#include "support/MsnLineCutting.h"

namespace quelt::test {

namespace {

using msnline::Decimal;
using msnline::IsCommandWord;
using msnline::kMaxBuffered;
using msnline::kMaxPayload;
using msnline::Tokens;

constexpr std::string_view kCvrReply = " 6.2.0205 6.2.0205 6.2.0205 http://127.0.0.1/download http://127.0.0.1/info";
constexpr std::array<std::string_view, 3> kNoiseLines = {"QNG 50", "BLP 0 AL", "SBS 0 null"};
constexpr std::array<std::string_view, 8> kStatusCodes = {"NLN", "BSY", "IDL", "BRB", "AWY", "PHN", "LUN", "HDN"};

// How far the login went on a connection, by the last reply the server sent.
enum class Stage { Fresh, VerAnswered, CvrAnswered, PolicySent, LoggedIn, Synced, Online };

bool IsLowerHex(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace

// One client connection, shared by its thread and the test's actions.
struct MsnServer::Session {
  int socket = -1;
  int number = 0;
  Listener listener = Listener::Main;
  bool redirectFirst = false;  // the connection that the script redirects
  std::atomic<bool> silent{false};
  std::atomic<int> challenges{0};         // sent and not yet answered
  std::atomic<bool> presenceSent{false};  // a test sent a CHG of its own: the client is online
  std::mutex writing;                     // guards the socket's writes and the two fields below it
  bool open = true;
  int replies = 0;
  // The connection's own thread alone uses the rest.
  int received = 0;
  int nextId = 1;
  Stage stage = Stage::Fresh;
  bool redirected = false;

  bool Write(std::string_view bytes) {
    std::lock_guard lock(writing);
    return open && LoopbackServer::SendAll(socket, bytes);
  }
};

int MsnServer::Log::Count(std::string_view word) const {
  return int(std::count_if(lines.begin(), lines.end(), [word](const Line& line) { return line.Word() == word; }));
}

int MsnServer::Log::Count(Listener listener) const {
  return int(std::count_if(connections.begin(), connections.end(),
                           [listener](const Connection& c) { return c.listener == listener; }));
}

std::vector<std::string> MsnServer::Log::LinesOf(int connection) const {
  std::vector<std::string> texts;
  for (const Line& line : lines) {
    if (line.connection == connection) texts.push_back(line.text);
  }
  return texts;
}

MsnServer::MsnServer() : MsnServer(Script()) {}

MsnServer::MsnServer(Script script)
    : script_(std::move(script)),
      mainServer_(
          std::make_unique<LoopbackServer>([this](int socket) { Serve(socket, Listener::Main); }, script_.port)),
      redirectServer_(std::make_unique<LoopbackServer>([this](int socket) { Serve(socket, Listener::Redirect); })) {
  port_ = mainServer_->Port();
  redirectPort_ = redirectServer_->Port();
}

MsnServer::~MsnServer() = default;

std::string MsnServer::UrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string encoded;
  for (const char c : text) {
    const bool kept = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '.' ||
                      c == '-' || c == '_' || c == '@';
    if (kept) {
      encoded += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      encoded += {'%', kHex[byte >> 4], kHex[byte & 0x0F]};
    }
  }
  return encoded;
}

MsnServer::Log MsnServer::Snapshot() const {
  std::lock_guard lock(mutex_);
  return log_;
}

bool MsnServer::WaitFor(const std::function<bool(const Log&)>& predicate, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return predicate(log_); });
}

bool MsnServer::OnCurrent(const std::function<bool(Session&)>& action) {
  std::unique_lock lock(mutex_);
  const auto session = current_;
  lock.unlock();
  return session && action(*session);
}

bool MsnServer::Send(std::string_view line) {
  return OnCurrent([line](Session& s) {
    if (line.starts_with("CHG ")) s.presenceSent = true;
    return s.Write(std::string(line) + "\r\n");
  });
}

bool MsnServer::SendBytes(std::string_view bytes) {
  return OnCurrent([bytes](Session& s) { return s.Write(bytes); });
}

bool MsnServer::SendChallenge(std::string_view challenge) {
  return OnCurrent([&](Session& s) {
    ++s.challenges;
    if (Emit(s, "CHL 0 " + std::string(challenge), false)) return true;
    --s.challenges;
    return false;
  });
}

bool MsnServer::SendOut(std::string_view reason, bool thenClose) {
  return OnCurrent(
      [&](Session& s) { return Emit(s, reason.empty() ? "OUT" : "OUT " + std::string(reason), false, thenClose); });
}

bool MsnServer::Silence() {
  return OnCurrent([](Session& s) {
    s.silent = true;
    std::lock_guard lock(s.writing);
    return s.open;
  });
}

bool MsnServer::Drop() {
  return OnCurrent([](Session& s) {
    std::lock_guard lock(s.writing);
    return s.open && shutdown(s.socket, SHUT_RDWR) == 0;
  });
}

void MsnServer::Serve(int socket, Listener listener) {
  const auto session = std::make_shared<Session>();
  session->socket = socket;
  session->listener = listener;
  {
    std::lock_guard lock(mutex_);
    log_.connections.push_back({listener});
    session->number = int(log_.connections.size());
    if (listener == Listener::Main && script_.redirectFirst && !redirectUsed_) {
      session->redirectFirst = redirectUsed_ = true;
    }
    current_ = session;
  }
  changed_.notify_all();
  std::string buffer;
  for (std::string bytes; !(bytes = LoopbackServer::ReceiveSome(socket)).empty();) {
    buffer += bytes;
    size_t used = 0;
    while (const auto cut = msnline::CutCommand(std::string_view(buffer).substr(used), {"QRY", "MSG"}, kMaxPayload)) {
      used += cut->size;
      Handle(*session, Line{.text = cut->text, .payload = cut->payload}, cut->crlf);
    }
    buffer.erase(0, used);
    if (buffer.size() > kMaxBuffered) {
      Violation(*session, "more than " + std::to_string(kMaxBuffered) + " bytes without a whole command");
      break;
    }
  }
  {
    std::lock_guard lock(session->writing);
    session->open = false;
  }
  Update(*session, [](Connection& c) { c.open = false; });
}

void MsnServer::Handle(Session& s, Line line, bool crlf) {
  line.connection = s.number;
  line.listener = s.listener;
  const auto tokens = Tokens(line.text);
  std::vector<std::string> problems;
  if (!crlf) problems.push_back("a line ending without CR: " + line.text);
  Check(s, line, tokens, problems);
  {
    // A line enters the log together with what is wrong with it, so a test waiting for the line sees both.
    std::lock_guard lock(mutex_);
    log_.lines.push_back(line);
    for (const std::string& problem : problems)
      log_.violations.push_back("connection " + std::to_string(s.number) + ": " + problem);
  }
  changed_.notify_all();
  ++s.received;
  if (!s.redirected) Answer(s, line, tokens);
}

void MsnServer::Check(Session& s, const Line& line, const std::vector<std::string_view>& tokens,
                      std::vector<std::string>& problems) {
  const auto flag = [&problems](std::string what) { problems.push_back(std::move(what)); };
  const std::string& text = line.text;
  const std::string_view word = tokens[0];
  if (s.redirected) flag("a line after the redirect: " + text);
  const std::string& password = script_.password;
  const auto holds = [&](const std::string& secret) {
    return text.find(secret) != std::string::npos || line.payload.find(secret) != std::string::npos;
  };
  if (!password.empty() && (holds(password) || holds(UrlEncode(password))))
    flag("the password in a line starting " + std::string(word));
  if (text.empty()) return flag("an empty line");
  if (!IsCommandWord(word)) return flag("not a command: " + text);
  if (std::any_of(tokens.begin(), tokens.end(), [](std::string_view token) { return token.empty(); }))
    flag("spaces other than single separators: \"" + text + "\"");
  if (word == "PNG") {
    if (text != "PNG") flag("PNG with more than its word: " + text);
    if (s.stage < Stage::Online && !s.presenceSent) flag("PNG before the CHG reply");
    return;
  }
  const std::string id(tokens.size() > 1 ? tokens[1] : "");
  const auto number = Decimal(id);
  if (id != std::to_string(s.nextId))
    flag("transaction id \"" + id + "\" where " + std::to_string(s.nextId) + " was due: " + text);
  s.nextId = number ? int(*number) + 1 : s.nextId + 1;

  const auto expect = [&](const std::string& wanted) {
    if (text != wanted) flag("\"" + text + "\" where \"" + wanted + "\" was due");
  };
  const auto after = [&](Stage stage, std::string_view what) {
    if (s.stage < stage) flag(std::string(word) + " before " + std::string(what));
  };
  const std::string account = UrlEncode(script_.email);
  const bool usr = word == "USR" && tokens.size() >= 4 && tokens[2] == "TWN";
  if (word == "VER") {
    expect("VER " + id + " MSNP10 MSNP9 CVR0");
    if (s.received > 0) flag("VER after other lines");
  } else if (word == "CVR") {
    expect("CVR " + id + " 0x0409 winnt 5.1 i386 MSNMSGR 6.2.0205 MSMSGS " + account);
    after(Stage::VerAnswered, "the VER reply");
  } else if (usr && tokens[3] == "I") {
    expect("USR " + id + " TWN I " + account);
    after(Stage::CvrAnswered, "the CVR reply");
  } else if (usr && tokens[3] == "S") {
    expect("USR " + id + " TWN S " + script_.ticket);
    after(Stage::PolicySent, "the policy");
  } else if (word == "USR") {
    flag("USR of an unknown form: " + text);
  } else if (word == "SYN") {
    if (tokens.size() != 4) flag("SYN is not \"SYN id version1 version2\": " + text);
    after(Stage::LoggedIn, "USR OK");
  } else if (word == "CHG") {
    const bool known = tokens.size() == 4 && std::count(kStatusCodes.begin(), kStatusCodes.end(), tokens[2]) == 1;
    if (!known || tokens[3] != "1") flag("CHG is not \"CHG id code 1\" with a known code: " + text);
    after(Stage::Synced, "the SYN reply");
  } else if (word == "QRY") {
    const bool sound = tokens.size() == 4 && !tokens[2].empty() && tokens[3] == "32";
    if (!sound || line.payload.size() != 32 || !IsLowerHex(line.payload))
      flag("QRY is not \"QRY id product 32\" with 32 lower-case hex digits: " + text);
    if (s.challenges-- <= 0) {
      ++s.challenges;
      flag("QRY without a challenge");
    }
  } else if (word == "XFR") {
    if (tokens.size() != 3 || tokens[2] != "SB") flag("XFR is not \"XFR id SB\": " + text);
    if (s.stage < Stage::Online && !s.presenceSent) flag("XFR before the CHG reply");
  } else if (word == "MSG") {
    const auto length = Decimal(tokens.back());
    if (!length || *length > kMaxPayload) flag("MSG without a sound payload length: " + text);
  }
}

void MsnServer::Answer(Session& s, const Line& line, const std::vector<std::string_view>& tokens) {
  const std::string_view word = tokens[0];
  const std::string id(tokens.size() > 1 ? tokens[1] : "");
  const auto reply = [&](const std::string& text, Stage stage) {
    if (Reply(s, text)) s.stage = std::max(s.stage, stage);
  };
  const bool usr = word == "USR" && tokens.size() >= 4 && tokens[2] == "TWN";
  if (word == "VER") {
    if (!Redirect(s, RedirectAt::Ver, id)) reply("VER " + id + " " + script_.protocols, Stage::VerAnswered);
  } else if (word == "CVR") {
    if (!Redirect(s, RedirectAt::Cvr, id)) reply("CVR " + id + std::string(kCvrReply), Stage::CvrAnswered);
  } else if (usr && tokens[3] == "I") {
    if (!Redirect(s, RedirectAt::UsrTwnI, id)) reply("USR " + id + " TWN S " + script_.policy, Stage::PolicySent);
  } else if (usr && tokens[3] == "S") {
    if (script_.refuseTicket || tokens.size() != 5 || tokens[4] != script_.ticket) {
      Reply(s, "911 " + id);
      return;
    }
    reply("USR " + id + " OK " + script_.email + " " + UrlEncode(script_.displayName) + " 1", Stage::LoggedIn);
    if (s.stage >= Stage::LoggedIn) Update(s, [](Connection& c) { c.loggedIn = true; });
  } else if (word == "SYN" && script_.synReply) {
    reply("SYN " + id + " " + *script_.synReply, Stage::Synced);
    for (const std::string& list : script_.listLines) Reply(s, list);
  } else if (word == "CHG") {
    const bool first = s.stage < Stage::Online;
    reply(line.text, Stage::Online);
    if (first && script_.onlineLines && s.stage >= Stage::Online) {
      for (const std::string& online : script_.onlineLines(id)) Reply(s, online);
    }
  } else if ((word == "ADC" || word == "REM") && script_.acceptListEdits) {
    const bool forward = word == "ADC" && tokens.size() > 2 && tokens[2] == "FL";
    Reply(s, line.text + (forward ? " C=c-" + id : ""));
  } else if (word == "QRY") {
    Reply(s, "QRY " + id);
  } else if (word == "PNG") {
    Reply(s, "QNG 50");
  } else if (word == "XFR" && script_.switchboard && tokens.size() == 3 && tokens[2] == "SB") {
    Reply(s, "XFR " + id + " SB " + script_.switchboard(script_.email));
  }
}

bool MsnServer::Redirect(Session& s, RedirectAt step, std::string_view id) {
  if (!s.redirectFirst || step != script_.redirectFirst) return false;
  const std::string here = "127.0.0.1:" + std::to_string(port_), there = "127.0.0.1:" + std::to_string(redirectPort_);
  if (!s.silent &&
      Emit(s, "XFR " + std::string(id) + " NS " + there + " 0 " + here, true, script_.closeAfterRedirect)) {
    s.redirected = true;
    Update(s, [](Connection& c) { c.redirected = true; });
  }
  return true;
}

bool MsnServer::Reply(Session& s, const std::string& line) { return !s.silent && Emit(s, line, true); }

bool MsnServer::Emit(Session& s, const std::string& line, bool reply, bool thenHangUp) {
  std::lock_guard lock(s.writing);
  std::string bytes;
  if (script_.noise && reply && s.replies++ % 2 == 0) {
    bytes = std::string(kNoiseLines[size_t(s.replies / 2) % kNoiseLines.size()]) + "  \r\n";
  }
  bytes += line + (script_.noise ? "  \r\n" : "\r\n");
  return s.open && LoopbackServer::SendAll(s.socket, bytes) && (!thenHangUp || shutdown(s.socket, SHUT_RDWR) == 0);
}

void MsnServer::Update(const Session& s, const std::function<void(Connection&)>& change) {
  {
    std::lock_guard lock(mutex_);
    change(log_.connections[size_t(s.number) - 1]);
  }
  changed_.notify_all();
}

void MsnServer::Violation(const Session& s, const std::string& what) {
  std::lock_guard lock(mutex_);
  log_.violations.push_back("connection " + std::to_string(s.number) + ": " + what);
  changed_.notify_all();
}

}  // namespace quelt::test
