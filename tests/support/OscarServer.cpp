#include "support/OscarServer.h"

#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iterator>

#include "support/OscarSession.h"

namespace quelt::test {

using namespace oscar;

namespace {

const std::string kHello("\0\0\0\1", 4);

std::string Words(std::initializer_list<uint16_t> words) {
  std::string bytes;
  for (uint16_t word : words) bytes += U16(word);
  return bytes;
}

std::string RateClasses(const std::vector<uint16_t>& ids) {
  std::string data = U16(uint16_t(ids.size()));
  for (uint16_t id : ids) {
    data += U16(id) + U32(80) + U32(2500) + U32(2000) + U32(1500) + U32(800) + U32(6000) + U32(6000) + U32(0);
    data += '\0';
  }
  for (uint16_t id : ids) data += Words({id, 1, 0x0001, id});  // one (family, subtype) pair per class
  return data;
}

bool IsItemEdit(const OscarServer::Frame& frame) {
  return frame.Is(0x13, 0x08) || frame.Is(0x13, 0x09) || frame.Is(0x13, 0x0A);
}

// Reads length-prefixed fields; `ok` turns false once one runs past the end.
struct Fields {
  std::string_view rest;
  bool ok = true;
  size_t UinNumber(size_t width) {
    ok = ok && rest.size() >= width;
    if (!ok) return 0;
    const size_t value = width == 1 ? uint8_t(rest[0]) : Get16(rest, 0);
    rest.remove_prefix(width);
    return value;
  }
  std::string_view Text(size_t lengthWidth) {
    const size_t size = UinNumber(lengthWidth);
    ok = ok && rest.size() >= size;
    if (!ok) return {};
    const std::string_view text = rest.substr(0, size);
    rest.remove_prefix(size);
    return text;
  }
};

OscarServer::Step StepOf(const OscarServer::Frame& frame) {
  using Step = OscarServer::Step;
  if (frame.channel == 1) return frame.role == OscarServer::Role::Login ? Step::SignOn : Step::Cookie;
  static constexpr std::pair<uint32_t, Step> kSteps[] = {
      {0x00010017, Step::ClientVersions}, {0x00010006, Step::RateRequest}, {0x00010008, Step::RateAck},
      {0x00130002, Step::ListRights},     {0x00130005, Step::ListCheck},   {0x00130007, Step::Activate},
      {0x0001001E, Step::Status},         {0x00010002, Step::ClientReady}, {0x00150002, Step::OfflineRequest}};
  for (const auto& [key, step] : kSteps) {
    if (frame.channel != 2 || key != (uint32_t(frame.family) << 16 | frame.subtype)) continue;
    const bool offline = frame.data.size() >= 12 && Get16Le(frame.data, 10) == 0x003C;
    return step != Step::OfflineRequest || offline ? step : Step::Never;
  }
  return Step::Never;
}

}  // namespace

int OscarServer::Log::Count(Role role) const {
  return int(std::count_if(connections.begin(), connections.end(), [role](auto& c) { return c.role == role; }));
}

bool OscarServer::Log::Online(std::string_view uin) const {
  return std::any_of(connections.begin(), connections.end(),
                     [uin](auto& c) { return c.open && c.online && c.uin == uin; });
}

int OscarServer::Log::Count(uint16_t family, uint16_t subtype) const {
  return int(std::count_if(frames.begin(), frames.end(), [=](auto& frame) { return frame.Is(family, subtype); }));
}

OscarServer::OscarServer() : OscarServer(Script()) {}

OscarServer::OscarServer(Script script)
    : script_(std::move(script)),
      list_(script_.list),
      listParts_(script_.listParts),
      listDate_(script_.listDate),
      acknowledgeStored_(script_.acknowledgeStored),
      loginServer_(std::make_unique<LoopbackServer>([this](int socket) { Serve(socket, false); }, script_.loginPort)),
      bosServer_(std::make_unique<LoopbackServer>([this](int socket) { Serve(socket, true); })) {
  loginPort_ = loginServer_->Port();
  bosPort_ = bosServer_->Port();
}

OscarServer::~OscarServer() = default;

OscarServer::Log OscarServer::Snapshot() const {
  std::lock_guard lock(mutex_);
  return log_;
}

bool OscarServer::WaitFor(const std::function<bool(const Log&)>& predicate, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] { return predicate(log_); });
}

bool OscarServer::OnBos(const std::function<bool(Session&)>& action) {
  std::unique_lock lock(mutex_);
  const auto session = bos_;
  lock.unlock();
  return session && action(*session);
}

bool OscarServer::SendToBos(uint8_t channel, std::string_view payload) {
  return OnBos([&](Session& s) { return s.Send(channel, payload); });
}
bool OscarServer::SendBytesToBos(std::string_view bytes) {
  return OnBos([&](Session& s) { return s.Send(std::nullopt, bytes); });
}
bool OscarServer::DisconnectBos(uint16_t code, bool thenClose) {
  return OnBos([&](Session& s) { return s.Send(4, Tlv(0x0009, U16(code)), thenClose); });
}
bool OscarServer::DropBos() {
  return OnBos([](Session& s) { return s.Drop(); });
}
bool OscarServer::SilenceBos() {
  return OnBos([](Session& s) {
    s.silent = true;
    std::lock_guard lock(s.writing);
    return s.open;
  });
}

bool OscarServer::SendAuthorizationRequest(std::string_view uin, std::string_view reason) {
  return SendToBos(
      2, Snac(0x13, 0x19, 0, 0, WithByteLength(uin) + U16(uint16_t(reason.size())) + std::string(reason) + U16(0)));
}
bool OscarServer::SendAuthorizationReply(std::string_view uin, uint8_t flag, std::string_view reason) {
  return SendToBos(
      2, Snac(0x13, 0x1B, 0, 0, WithByteLength(uin) + char(flag) + U16(uint16_t(reason.size())) + std::string(reason)));
}
bool OscarServer::SendAddedNotice(std::string_view uin) {
  return SendToBos(2, Snac(0x13, 0x1C, 0, 0, WithByteLength(uin)));
}

bool OscarServer::SendChannel2(std::string_view to, std::string_view from, std::string_view text, bool utf8) {
  std::unique_lock lock(mutex_);
  const auto target = signedOn_.find(to);
  if (target == signedOn_.end()) return false;
  const auto session = target->second;
  const auto sender = signedOn_.find(from);
  const uint16_t status = sender == signedOn_.end() ? 0 : sender->second->status.value_or(0);
  const std::string cookie = U32(0x5EC0A1E5) + U32(nextCookie_++);
  const Extension extension = PlainExtension(text, utf8, status);
  channel2Acks_[cookie] = cookie + U16(2) + WithByteLength(from) + U16(3) + extension.acknowledged;
  lock.unlock();
  const std::string rendezvous =
      U16(0) + cookie + Capability(0x49) + Tlv(0x000A, U16(1)) + Tlv(0x000F, "") + Tlv(0x2711, extension.value);
  return session->Send(2, Snac(0x04, 0x07, 0, 0, cookie + U16(2) + SenderInfo(from, status) + Tlv(0x0005, rendezvous)));
}

void OscarServer::StoreOffline(OfflineMessage message) {
  std::lock_guard lock(mutex_);
  log_.offline.push_back(std::move(message));
  changed_.notify_all();
}

void OscarServer::SetList(std::vector<Item> items, uint32_t date, int parts) {
  std::lock_guard lock(mutex_);
  list_ = std::move(items);
  listDate_ = date;
  listParts_ = parts;
}

std::vector<Item> OscarServer::ItemsOf(const Frame& frame) {
  return IsItemEdit(frame) ? ReadItems(frame.data).items : std::vector<Item>{};
}

std::optional<Meta> OscarServer::MetaOf(const Frame& frame) {
  return frame.Is(0x15, 0x02) ? ReadMeta(frame.data) : std::nullopt;
}

std::optional<OscarServer::Account> OscarServer::AccountOf(std::string_view uin) const {
  for (const Account& account : script_.accounts) {
    if (account.uin == uin) return account;
  }
  return uin == script_.uin ? std::optional(Account{script_.uin, script_.password}) : std::nullopt;
}

std::string OscarServer::CookieOf(std::string_view uin) const {
  return uin == script_.uin ? script_.cookie : "cookie-" + std::string(uin);
}

std::string OscarServer::UinOfCookie(std::string_view cookie) const {
  if (cookie == script_.cookie) return script_.uin;
  for (const Account& account : script_.accounts) {
    if (cookie == CookieOf(account.uin)) return account.uin;
  }
  return {};
}

std::shared_ptr<OscarServer::Session> OscarServer::SignedOn(std::string_view uin) {
  std::lock_guard lock(mutex_);
  const auto found = signedOn_.find(uin);
  return found == signedOn_.end() ? nullptr : found->second;
}

void OscarServer::Serve(int socket, bool bosPort) {
  const auto session = std::make_shared<Session>();
  session->socket = socket;
  session->role = bosPort ? Role::Bos : Role::Login;
  {
    std::lock_guard lock(mutex_);
    log_.connections.push_back({session->role, bosPort});
    session->number = int(log_.connections.size());
    if (bosPort) bos_ = session;
  }
  changed_.notify_all();
  if (Reached(*session, Step::Accept)) {
    session->Reply(1, kHello);
    FlapSplitter splitter;
    for (std::string bytes; !(bytes = LoopbackServer::ReceiveSome(socket)).empty();) {
      splitter.Feed(bytes);
      std::optional<RawFrame> raw;
      while ((raw = splitter.Next()) && Handle(*session, *raw)) {
      }
      if (raw) break;  // the script closes here
      if (splitter.Broken()) {
        Violation(*session, "a byte other than 0x2A where a frame starts");
        break;
      }
    }
  }
  {
    std::lock_guard lock(session->writing);
    session->open = false;
  }
  bool announced = false;
  {
    std::lock_guard lock(mutex_);
    log_.connections[size_t(session->number) - 1].open = false;
    const auto found = signedOn_.find(session->uin);
    if (found != signedOn_.end() && found->second == session) {
      announced = session->status.has_value();
      signedOn_.erase(found);
    }
  }
  changed_.notify_all();
  if (announced) Announce(*session, false);
}

bool OscarServer::Handle(Session& s, const RawFrame& raw) {
  Frame frame{s.number, s.role, raw.channel, raw.sequence, raw.payload};
  const std::string_view payload = raw.payload;
  if (raw.sequence > 0x7FFF || (s.lastSequence && raw.sequence != ((*s.lastSequence + 1) & 0x7FFF))) {
    Violation(s, "FLAP sequence " + Hex(raw.sequence) + " after " + Hex(s.lastSequence.value_or(0)));
  }
  s.lastSequence = raw.sequence;
  if (raw.channel == 2 && payload.size() >= 10) {
    frame.family = Get16(payload, 0);
    frame.subtype = Get16(payload, 2);
    frame.flags = Get16(payload, 4);
    frame.requestId = Get32(payload, 6);
    frame.data = raw.payload.substr(10);
    if (frame.flags != 0) Violation(s, "SNAC flags " + Hex(frame.flags));
  } else if (raw.channel == 1 || raw.channel == 4) {
    const size_t start = raw.channel == 1 ? 4 : 0;
    if (raw.channel == 1 && payload.substr(0, 4) != kHello) Violation(s, "channel 1 without the version word");
    const auto tlvs = ParseTlvs(payload.substr(std::min(start, payload.size())));
    if (!tlvs) Violation(s, "TLVs that do not fill the channel " + std::to_string(raw.channel) + " frame");
    frame.tlvs = tlvs.value_or(std::vector<TlvItem>{});
  } else if (raw.channel != 5 || !payload.empty()) {
    Violation(s, "channel " + std::to_string(raw.channel) + " frame of " + std::to_string(payload.size()) + " bytes");
  }
  if (raw.channel == 1) {
    frame.role = s.role = Find(frame.tlvs, 0x0006) && !Find(frame.tlvs, 0x0001) ? Role::Bos : Role::Login;
  }
  const std::string uin = UinOfCookie(Find(frame.tlvs, 0x0006).value_or(""));
  Check(s, frame);
  {
    std::lock_guard lock(mutex_);
    auto& connection = log_.connections[size_t(s.number) - 1];
    if (raw.channel == 1 && s.role == Role::Bos && !uin.empty()) {
      s.uin = connection.uin = uin;
      signedOn_[uin] = s.shared_from_this();
    }
    connection.role = s.role;
    connection.online = connection.online || (s.role == Role::Bos && frame.Is(0x01, 0x02));
    if (raw.channel == 1 && s.role == Role::Bos) bos_ = s.shared_from_this();
    log_.frames.push_back(frame);
  }
  changed_.notify_all();
  const Faults& faults = s.role == Role::Login ? script_.login : script_.bos;
  if (++s.received == faults.dropAfterFrames || !Reached(s, StepOf(frame))) return false;
  if (s.role == Role::Bos) return AnswerBos(s, frame);
  AnswerLogin(s, frame);
  return !(frame.channel == 1 && script_.closeAfterLoginReply);
}

bool OscarServer::Reached(Session& s, Step step) {
  const Faults& faults = s.role == Role::Login ? script_.login : script_.bos;
  if (step == Step::Never) return true;
  if (step == faults.dropAt) return false;
  if (step == faults.silentFrom) s.silent = true;
  if (step == faults.garbageAt && !s.silent) s.Send(std::nullopt, faults.garbage);
  return true;
}

void OscarServer::Check(const Session& s, const Frame& f) {
  if (f.channel == 1 && s.role == Role::Login) {
    const Account account = AccountOf(Find(f.tlvs, 0x0001).value_or("")).value_or(*AccountOf(script_.uin));
    const std::vector<TlvItem> expected =
        *ParseTlvs(Tlv(0x0001, account.uin) + Tlv(0x0002, Roast(account.password)) +
                   Tlv(0x0003, "ICQ Inc. - Product of ICQ (TM).2003b.5.56.1.3916.85") + Tlv(0x0016, U16(0x010A)) +
                   Tlv(0x0017, U16(5)) + Tlv(0x0018, U16(0x0038)) + Tlv(0x0019, U16(1)) + Tlv(0x001A, U16(0x0F4C)) +
                   Tlv(0x0014, U32(0x55)) + Tlv(0x000F, "en") + Tlv(0x000E, "us"));
    if (f.tlvs.size() != expected.size()) Violation(s, "sign-on with " + std::to_string(f.tlvs.size()) + " TLVs");
    for (size_t i = 0; i < std::min(f.tlvs.size(), expected.size()); ++i) {
      if (f.tlvs[i] != expected[i])
        Violation(s, "sign-on TLV " + std::to_string(i) + " is not " + Hex(expected[i].type));
    }
  }
  if (f.channel == 1 && s.role == Role::Bos) {
    const std::string cookie = Find(f.tlvs, 0x0006).value_or("");
    if (UinOfCookie(cookie).empty() || f.payload != kHello + Tlv(0x0006, cookie)) Violation(s, "cookie frame differs");
  }
  if (f.channel != 2) return;
  CheckMessaging(s, f);
  CheckMeta(s, f);
  std::string rateAck;
  for (uint16_t id : script_.rateClasses) rateAck += U16(id);
  const std::string dc = U32(0) + U32(0) + '\0' + U16(8) + U32(0) + U32(0) + U32(3) + U32(0) + U32(0) + U32(0) + U16(0);
  struct Rule {
    uint32_t key;
    std::optional<uint32_t> requestId;
    std::optional<std::string> data;
  };
  // clang-format off
  const Rule rules[] = {
      {0x00010002, {}, Words({1, 3, 0x0110, 0x047B,  0x13, 2, 0x0110, 0x047B,  2, 1, 0x0101, 0x047B,
                              3, 1, 0x0110, 0x047B,  0x15, 1, 0x0110, 0x047B,  4, 1, 0x0110, 0x047B,
                              6, 1, 0x0110, 0x047B,  9, 1, 0x0110, 0x047B,  0x0A, 1, 0x0110, 0x047B,
                              0x0B, 1, 0x0110, 0x047B})},
      {0x00010017, 0x17, Words({1, 4, 0x13, 4, 2, 1, 3, 1, 0x15, 1, 4, 1, 6, 1, 9, 1, 0x0A, 1, 0x0B, 1})},
      {0x00010006, 6, {}}, {0x00010008, 8, rateAck}, {0x0001001E, 0x1E, {}}, {0x00020002, 2, {}},
      {0x00020004, 4, {}}, {0x00030002, 2, {}}, {0x00040002, 2, {}}, {0x00040004, 4, {}}, {0x00090002, 2, {}},
      {0x00130002, 2, {}}, {0x00130005, 0x00010005, {}}, {0x00130007, 7, {}},
      {0x00130011, 0x11, ""}, {0x00130012, 0x12, ""}, {0x00130008, 8, {}}, {0x00130009, 9, {}}, {0x0013000A, 0x0A, {}}};
  // clang-format on
  const std::string name = "(" + Hex(f.family, 2) + "," + Hex(f.subtype, 2) + ") ";
  for (const Rule& rule : rules) {
    if (rule.key != (uint32_t(f.family) << 16 | f.subtype)) continue;
    if (rule.requestId && f.requestId != *rule.requestId) Violation(s, name + "request id " + Hex(f.requestId, 8));
    if (rule.data && f.data != *rule.data) Violation(s, name + "data differs");
  }
  if (f.Is(0x01, 0x08) && script_.rateClasses.empty()) Violation(s, name + "acknowledges no class");
  if (f.Is(0x13, 0x05) && f.data.size() != 6)
    Violation(s, name + "data of " + std::to_string(f.data.size()) + " bytes");
  if (f.Is(0x01, 0x1E) && (f.data.size() != 49 || f.data.substr(0, 6) != U16(6) + U16(4) + U16(0x0100) ||
                           f.data.substr(8) != Tlv(0x000C, dc))) {
    Violation(s, name + "status TLVs differ");
  }
  if (IsItemEdit(f)) {
    const ItemChain chain = ReadItems(f.data);
    if (!chain.fault.empty() || chain.items.empty())
      Violation(s, name + (chain.fault.empty() ? "no item" : chain.fault));
  }
  if (f.Is(0x13, 0x18) || f.Is(0x13, 0x1A) || f.Is(0x03, 0x04)) {
    Fields fields{f.data};
    const std::string_view who = fields.Text(1);
    if (f.Is(0x13, 0x1A)) fields.UinNumber(1);  // the flag
    if (f.family == 0x13) fields.Text(2);       // the reason
    const bool zero = !f.Is(0x13, 0x18) || fields.UinNumber(2) == 0;
    if (!fields.ok || !fields.rest.empty() || !zero || !Digits(who)) Violation(s, name + "layout differs");
  }
  if (f.Is(0x04, 0x02)) {
    const uint16_t channel = f.data.size() == 16 ? Get16(f.data, 0) : 0;
    const uint32_t flags = channel != 0 ? Get32(f.data, 2) : 0;
    const bool valid = channel == 1 ? flags == 3 || flags == 0x0B : (channel == 2 || channel == 4) && flags == 3;
    if (!valid || f.data.substr(6) != Words({0x1F40, 999, 999, 0, 0})) Violation(s, name + "parameters differ");
  }
}

void OscarServer::AnswerLogin(Session& s, const Frame& f) {
  if (f.channel != 1) return;
  const auto account = AccountOf(Find(f.tlvs, 0x0001).value_or(""));
  const bool known = account && Find(f.tlvs, 0x0002) == Roast(account->password);
  const std::string cookie = CookieOf(account ? account->uin : script_.uin);
  std::string reply = Tlv(0x0001, account ? account->uin : script_.uin);
  if (!known || script_.refusalCode) {
    if (script_.noise) reply += Tlv(0x0004, "http://127.0.0.1/why");
    reply += known ? Tlv(script_.refusalTlv, U16(*script_.refusalCode)) : Tlv(0x0008, U16(0x0005));
  } else if (!script_.refuseWithoutCode) {
    const uint16_t port = script_.bosOnLoginPort ? loginPort_ : bosPort_;
    const std::string address = script_.redirectAddress.value_or("127.0.0.1:" + std::to_string(port));
    reply += script_.noise ? Tlv(0x0006, cookie) + Tlv(0x008E, std::string(1, '\0')) + Tlv(0x0005, address)
                           : Tlv(0x0005, address) + Tlv(0x0006, cookie);
  }
  s.Reply(4, reply);
}

bool OscarServer::AnswerBos(Session& s, const Frame& f) {
  const auto reply = [&](uint16_t family, uint16_t subtype, const std::string& data, uint16_t flags = 0) {
    s.Reply(2, Snac(family, subtype, flags, f.requestId, data));
  };
  const std::string extra = script_.noise ? Tlv(0x00FE, std::string(9, '\x01')) : "";
  if (f.channel == 1) {
    if (s.uin.empty()) return false;
    std::string families;
    for (uint16_t family : script_.families) families += U16(family);
    reply(0x01, 0x03, families);
    if (script_.noise) {
      reply(0x01, 0x13, U16(4) + Tlv(0x000B, "Welcome"));
      reply(0x01, 0x21, Tlv(0x0001, U32(0x00011000)));
    }
    return true;
  }
  switch (f.channel == 2 ? uint32_t(f.family) << 16 | f.subtype : 0) {
    case 0x00010017:
      reply(0x01, 0x18, script_.noise ? U16(6) + std::string(6, '\x7F') + f.data : f.data, script_.noise ? 0x8000 : 0);
      if (script_.noise) reply(0x0B, 0x02, U16(1200));
      break;
    case 0x00010006: reply(0x01, 0x07, RateClasses(script_.rateClasses)); break;
    case 0x00020002: reply(0x02, 0x03, Tlv(1, U16(0x0400)) + Tlv(2, U16(0x0010)) + extra); break;
    case 0x00030002: reply(0x03, 0x03, Tlv(1, U16(0x0258)) + Tlv(2, U16(0x02EE)) + Tlv(3, U16(0x0200)) + extra); break;
    case 0x00040004: reply(0x04, 0x05, Words({2, 0, 3, 0x0200, 999, 999, 0, 1000})); break;
    case 0x00090002: reply(0x09, 0x03, Tlv(1, U16(0x00A0)) + Tlv(2, U16(0x00A0)) + extra); break;
    case 0x00130002: reply(0x13, 0x03, Tlv(4, Words({1000, 100, 1000, 0})) + extra); break;
    case 0x00130005: {
      std::unique_lock lock(mutex_);
      const std::vector<Item> items = list_;
      const size_t parts = listParts_ > 0 ? size_t(listParts_) : items.empty() ? 0 : 1;
      const uint32_t date = listDate_;
      lock.unlock();
      if (parts == 0) reply(0x13, 0x0F, U32(date) + U16(0));
      for (size_t part = 0; part < parts; ++part) {
        const size_t from = items.size() * part / parts, to = items.size() * (part + 1) / parts;
        std::string data = '\0' + U16(uint16_t(to - from));
        for (size_t i = from; i < to; ++i) data += ItemBytes(items[i]);
        const bool last = part + 1 == parts;
        reply(0x13, 0x06, data + (last ? U32(date) : ""), last ? 0 : 0x0001);
      }
      break;
    }
    case 0x00130008:
    case 0x00130009:
    case 0x0013000A: reply(0x13, 0x0E, std::string(2 * ReadItems(f.data).items.size(), '\0')); break;
    case 0x00150002: AnswerMeta(s, f); break;
    case 0x00010002:
      if (script_.signedOn) script_.signedOn(s.uin);
      break;
    case 0x00040006:
    case 0x00040014: Relay(s, f); break;
    case 0x0001001E: {
      const uint16_t status = f.data.size() >= 8 ? Get16(f.data, 6) : 0;
      {
        std::lock_guard lock(mutex_);
        s.status = log_.connections[size_t(s.number) - 1].status = status;
      }
      changed_.notify_all();
      reply(0x01, 0x0F, UserInfo(s.uin, Tlv(0x0006, U16(0) + U16(status)), 1));
      Announce(s, true);
      break;
    }
    default: break;
  }
  return true;
}

void OscarServer::Violation(const Session& session, const std::string& what) {
  std::lock_guard lock(mutex_);
  log_.violations.push_back("connection " + std::to_string(session.number) + ": " + what);
  changed_.notify_all();
}

}  // namespace quelt::test
