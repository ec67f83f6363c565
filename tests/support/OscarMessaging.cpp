// The fixture's messaging side: checks of what clients send, relaying between signed-in
// accounts, the offline store, presence announcements and the meta service's answers.
#include <ctime>

#include "support/OscarServer.h"
#include "support/OscarSession.h"

namespace quelt::test {

using namespace oscar;

namespace {

OscarServer::Stamp UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  return {uint16_t(utc.tm_year + 1900), uint8_t(utc.tm_mon + 1), uint8_t(utc.tm_mday), uint8_t(utc.tm_hour),
          uint8_t(utc.tm_min)};
}

}  // namespace

void OscarServer::CheckMessaging(const Session& s, const Frame& f) {
  if (!f.Is(0x04, 0x06) && !f.Is(0x04, 0x14) && !f.Is(0x04, 0x0B)) return;
  const std::string name = "(0x04," + Hex(f.subtype, 2) + ") ";
  const auto icbm = ReadIcbm(f.data);
  if (!icbm || !Digits(icbm->uin)) return Violation(s, name + "cookie, channel and UIN cut short");
  if (f.subtype == 0x14) {
    const uint16_t state = icbm->rest.size() == 2 ? Get16(icbm->rest, 0) : 0;
    if (icbm->cookie != std::string(8, '\0') || icbm->channel != 1 || (state != 1 && state != 2))
      Violation(s, name + "layout differs");
  } else if (f.subtype == 0x06) {
    const auto tlvs = ParseTlvs(icbm->rest).value_or(std::vector<TlvItem>{});
    const bool stored = tlvs.size() == 2 && tlvs[1] == TlvItem{0x0006, ""};
    if (icbm->channel != 1 || tlvs.empty() || tlvs[0].type != 0x0002 || (tlvs.size() > 1 && !stored))
      return Violation(s, name + "not channel 1 with TLV 0x0002 and at most an empty TLV 0x0006");
    if (const MessageText text = ReadMessageText(tlvs[0].value); !text.fault.empty()) Violation(s, name + text.fault);
  } else {
    std::unique_lock lock(mutex_);
    const std::string expected = channel2Acks_[icbm->cookie];
    channel2Acks_.erase(icbm->cookie);
    lock.unlock();
    if (f.data != expected) Violation(s, name + (expected.empty() ? "for no channel-2 message, or again" : "differs"));
  }
}

void OscarServer::CheckMeta(const Session& s, const Frame& f) {
  if (!f.Is(0x15, 0x02)) return;
  const auto meta = MetaOf(f);
  if (!meta || meta->uin != UinNumber(s.uin)) return Violation(s, "(0x15,0x02) envelope or own UIN differs");
  const std::string head = U16Le(8) + U32Le(meta->uin), name = "meta " + Hex(meta->subtype) + " ";
  const auto& criteria = meta->tlvs;
  if (meta->command == 0x003C) {
    if (f.requestId != 0x00020001 || f.data != Tlv(1, head + U16Le(0x003C) + U16Le(2))) Violation(s, name + "0x3C");
  } else if (meta->command == 0x003E) {
    if (f.data != Tlv(1, head + U16Le(0x003E) + U16Le(0)) + std::string(2, '\0')) Violation(s, name + "0x3E");
  } else if (meta->command != 0x07D0 || !meta->tail.empty()) {
    Violation(s, name + "of no known command or with bytes after the envelope");
  } else if (meta->subtype == 0x04B2) {
    if (meta->sequence != 2 || meta->body.size() != 4) Violation(s, name + "is not sequence 2 with a UIN");
  } else if (meta->subtype == 0x0569) {
    if (!criteria || criteria->size() != 1 || (*criteria)[0].type != 0x0136 || (*criteria)[0].value.size() != 4)
      Violation(s, name + "is not one TLV 0x0136 of 4 bytes");
  } else if (meta->subtype != 0x055F || !criteria) {
    Violation(s, name + "is unknown or its criteria do not fill it");
  } else if (const std::string fault = CriteriaFault(*criteria); !fault.empty()) {
    Violation(s, name + fault);
  }
}

void OscarServer::Relay(Session& s, const Frame& f) {
  const auto icbm = ReadIcbm(f.data);
  const auto to = icbm ? SignedOn(icbm->uin) : nullptr;
  if (icbm && f.subtype == 0x14) {
    if (to)
      to->Reply(2, Snac(0x04, 0x14, 0, 0, icbm->cookie + U16(icbm->channel) + WithByteLength(s.uin) + icbm->rest));
    return;
  }
  const auto tlvs = ParseTlvs(icbm ? icbm->rest : "").value_or(std::vector<TlvItem>{});
  const auto message = Find(tlvs, 0x0002);
  const bool store = Find(tlvs, 0x0006).has_value();
  if (!message || icbm->channel != 1 || (store && !acknowledgeStored_)) return;
  if (to) {
    to->Reply(2, Snac(0x04, 0x07, 0, 0,
                      icbm->cookie + U16(1) + SenderInfo(s.uin, s.status.value_or(0)) + Tlv(0x0002, *message)));
  } else if (script_.deliver && script_.deliver(s.uin, icbm->uin, ReadMessageText(*message))) {
  } else if (store) {
    StoreOffline({s.uin, icbm->uin, ReadMessageText(*message).bytes, script_.storeTime.value_or(UtcNow())});
  }
  if (store) s.Reply(2, Snac(0x04, 0x0C, 0, f.requestId, icbm->cookie + U16(1) + WithByteLength(icbm->uin)));
}

namespace {

std::string OnlineBlock(std::string_view uin, uint16_t status, bool unicode) {
  const std::string capabilities = (unicode ? Capability(0x4E) : "") + Capability(0x44);
  return UserInfo(uin, Tlv(0x0006, U16(0) + U16(status)) + Tlv(0x000D, capabilities), 2);
}
std::string OfflineBlock(std::string_view uin) { return UserInfo(uin, Tlv(0x0001, U16(0x0050)), 1); }

}  // namespace

// Every account signed on hears of every other one, and of the simulated users.
void OscarServer::Announce(Session& s, bool online) {
  const auto block = [this](const Session& who) {
    return OnlineBlock(who.uin, *who.status, AccountOf(who.uin).value_or(Account{}).unicode);
  };
  std::unique_lock lock(mutex_);
  const std::string own = online ? block(s) : OfflineBlock(s.uin);
  std::vector<std::pair<std::shared_ptr<Session>, std::string>> others;  // with their presence, once set
  for (const auto& [uin, other] : signedOn_) {
    if (other.get() != &s) others.emplace_back(other, other->status ? block(*other) : "");
  }
  std::vector<std::string> simulated;
  if (online) {
    for (const auto& [uin, status] : simulated_) simulated.push_back(OnlineBlock(uin, status, true));
  }
  lock.unlock();
  for (const auto& [other, presence] : others) {
    other->Reply(2, Snac(0x03, online ? 0x0B : 0x0C, 0, 0, own));
    if (online && !presence.empty()) s.Reply(2, Snac(0x03, 0x0B, 0, 0, presence));
  }
  for (const std::string& presence : simulated) s.Reply(2, Snac(0x03, 0x0B, 0, 0, presence));
}

void OscarServer::SetPresence(const std::string& uin, std::optional<uint16_t> status) {
  std::unique_lock lock(mutex_);
  if (status) {
    simulated_[uin] = *status;
  } else {
    simulated_.erase(uin);
  }
  std::vector<std::shared_ptr<Session>> online;
  for (const auto& [who, session] : signedOn_) {
    if (session->status) online.push_back(session);
  }
  lock.unlock();
  const std::string block = status ? OnlineBlock(uin, *status, true) : OfflineBlock(uin);
  for (const auto& session : online) session->Reply(2, Snac(0x03, status ? 0x0B : 0x0C, 0, 0, block));
}

bool OscarServer::SendTyping(std::string_view to, std::string_view from, bool typing) {
  const auto session = SignedOn(to);
  return session && session->Send(2, Snac(0x04, 0x14, 0, 0,
                                          std::string(8, '\0') + U16(1) + WithByteLength(from) + U16(typing ? 2 : 0)));
}

void OscarServer::AnswerMeta(Session& s, const Frame& f) {
  const auto meta = MetaOf(f);
  if (!meta) return;
  const auto reply = [&](uint16_t command, const std::string& rest) {
    const std::string envelope = U32Le(meta->uin) + U16Le(command) + U16Le(meta->sequence) + rest;
    s.Reply(2, Snac(0x15, 0x03, 0, f.requestId, Tlv(0x0001, U16Le(uint16_t(envelope.size())) + envelope)));
  };
  const bool request = meta->command == 0x07D0;
  const bool search = request && (meta->subtype == 0x0569 || meta->subtype == 0x055F);
  std::unique_lock lock(mutex_);
  std::vector<OfflineMessage> stored;
  for (const OfflineMessage& m : log_.offline) {
    if (m.to == s.uin) stored.push_back(m);
  }
  if (meta->command == 0x003E) {
    std::erase_if(log_.offline, [&](auto& m) { return m.to == s.uin; });
    log_.offlineDeleted.push_back(s.uin);
    changed_.notify_all();
  }
  lock.unlock();
  std::vector<const Profile*> found;  // a search by data matches on nickname alone
  for (const Profile& p : script_.profiles) {
    const auto nickname = search && meta->tlvs ? Find(*meta->tlvs, 0x0154) : std::nullopt;
    const auto uin = search && meta->tlvs ? Find(*meta->tlvs, 0x0136) : std::nullopt;
    const std::string wanted = search ? uin.value_or(U32Le(UinNumber(p.uin))) : meta->body;
    if (wanted == U32Le(UinNumber(p.uin)) && (!nickname || *nickname == MetaText(p.nickname))) found.push_back(&p);
  }
  if (meta->command == 0x003C && script_.answerOfflineRequest) {
    for (const OfflineMessage& m : stored) {
      const Stamp& t = m.time;
      reply(0x0041, U32Le(UinNumber(m.from)) + U16Le(t.year) + char(t.month) + char(t.day) + char(t.hour) +
                        char(t.minute) + '\x01' + '\0' + MetaText(m.text));
    }
    reply(0x0042, std::string(1, '\0'));
  } else if (request && meta->subtype == script_.metaErrorFor) {
    s.Reply(2, Snac(0x15, 0x01, 0, f.requestId, U16(0x0002)));
  } else if (request && meta->subtype == 0x04B2) {
    const auto parts = found.empty() ? std::vector<std::string>(3) : InfoParts(*found[0]);
    const uint16_t subtypes[] = {0x00C8, 0x00DC, 0x00E6};
    for (size_t i = 0; i < 3; ++i) reply(0x07DA, U16Le(subtypes[i]) + (found.empty() ? "\x32" : '\x0A' + parts[i]));
  } else if (search) {
    if (found.empty()) reply(0x07DA, U16Le(0x01AE) + "\x32");
    for (const Profile* p : found)
      reply(0x07DA, U16Le(p == found.back() ? 0x01AE : 0x01A4) + '\x0A' + SearchRecord(*p));
  }
}

}  // namespace quelt::test
