#include "msn/MsnParser.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string_view>
#include <utility>

#include "msn/UrlCoding.h"
#include "platform/TextCodec.h"

namespace quelt::msn {
namespace {

// Real payloads are a few kilobytes at most. A larger announced length is not believed: the line
// is read as unknown, so a hostile server cannot make the connection buffer without end.
constexpr size_t kMaxPayloadLength = 256 * 1024;

// The first three bytes of a line as a big-endian number select its command.
constexpr uint32_t Code(std::string_view word) {
  return (static_cast<uint32_t>(static_cast<uint8_t>(word[0])) << 16) |
         (static_cast<uint32_t>(static_cast<uint8_t>(word[1])) << 8) | static_cast<uint8_t>(word[2]);
}

std::optional<int> Decimal(std::string_view token) {
  if (token.empty()) return std::nullopt;
  long long value = 0;
  for (const char c : token) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > INT_MAX) return std::nullopt;
  }
  return static_cast<int>(value);
}

bool StartsWith(std::string_view token, std::string_view prefix) { return token.substr(0, prefix.size()) == prefix; }

// What one line form yields: the kind, the transaction id and the fields.
struct Form {
  MsnCommandKind kind = MsnCommandKind::Unknown;
  int transactionId = -1;
  MsnCommandFields fields;
};

// Walks the tokens of one line (runs of bytes between spaces) and converts them to text. Servers
// of later protocol versions append tokens to many forms, so what follows a complete form is
// ignored.
class LineReader {
 public:
  LineReader(std::string_view text, uint32_t codePage) : text_(text), codePage_(codePage) {}

  // The next token; empty at the end of the line.
  std::string_view Next() {
    while (position_ < text_.size() && text_[position_] == ' ') ++position_;
    const size_t start = position_;
    while (position_ < text_.size() && text_[position_] != ' ') ++position_;
    return text_.substr(start, position_ - start);
  }
  std::optional<int> Number() { return Decimal(Next()); }
  bool Expect(std::string_view word) { return Next() == word; }

  [[nodiscard]] std::u16string Text(std::string_view token) const {
    return platform::DecodeCodePage(token, codePage_).text;
  }
  [[nodiscard]] static std::u16string Name(std::string_view token) { return platform::Utf8ToUtf16(UrlDecode(token)); }

 private:
  std::string_view text_;
  size_t position_ = 0;
  uint32_t codePage_;
};

using FormResult = std::optional<Form>;

// ACK id, NAK id, QRY id, CVR id fields...
FormResult ParseIdOnly(LineReader& reader, MsnCommandKind kind) {
  const auto id = reader.Number();
  if (!id) return std::nullopt;
  return Form{kind, *id, {}};
}

// GTC, BLP and PRP carry a transaction id when they answer a request and none during a list
// synchronisation ("GTC A", "PRP MFN name").
FormResult ParseSetting(LineReader& reader, MsnCommandKind kind) {
  const std::string_view first = reader.Next();
  if (first.empty()) return std::nullopt;
  const auto id = Decimal(first);
  const int transactionId = id && !reader.Next().empty() ? *id : -1;
  return Form{kind, transactionId, {}};
}

FormResult ParseVer(LineReader& reader) {
  const auto id = reader.Number();
  if (!id) return std::nullopt;
  VerFields fields;
  for (std::string_view token = reader.Next(); !token.empty(); token = reader.Next())
    fields.protocols.emplace_back(token);
  return Form{MsnCommandKind::Ver, *id, std::move(fields)};
}

FormResult ParseUsrTwnS(LineReader& reader) {
  const auto id = reader.Number();
  if (!id || !reader.Expect("TWN") || !reader.Expect("S")) return std::nullopt;
  const std::string_view policy = reader.Next();
  if (policy.empty()) return std::nullopt;
  return Form{MsnCommandKind::UsrTwnS, *id, UsrTwnSFields{std::string(policy)}};
}

FormResult ParseUsrOk(LineReader& reader, MsnConnectionKind connection) {
  const auto id = reader.Number();
  if (!id || !reader.Expect("OK")) return std::nullopt;
  const std::string_view email = reader.Next();
  const std::string_view name = reader.Next();
  if (email.empty() || name.empty()) return std::nullopt;
  UsrOkFields fields{reader.Text(email), LineReader::Name(name)};
  if (connection == MsnConnectionKind::Switchboard) return Form{MsnCommandKind::UsrOkSb, *id, std::move(fields)};
  const std::string_view verified = reader.Next();
  if (!verified.empty()) {
    const auto flag = Decimal(verified);
    if (!flag) return std::nullopt;
    fields.verified = *flag != 0;
  }
  return Form{MsnCommandKind::UsrOkNs, *id, std::move(fields)};
}

FormResult ParseXfrNs(LineReader& reader) {
  const auto id = reader.Number();
  if (!id || !reader.Expect("NS")) return std::nullopt;
  const std::string_view address = reader.Next();
  if (address.empty()) return std::nullopt;
  return Form{MsnCommandKind::XfrNs, *id, XfrNsFields{std::string(address)}};
}

FormResult ParseXfrSb(LineReader& reader) {
  const auto id = reader.Number();
  if (!id || !reader.Expect("SB")) return std::nullopt;
  const std::string_view address = reader.Next();
  if (address.empty() || !reader.Expect("CKI")) return std::nullopt;
  const std::string_view cookie = reader.Next();
  if (cookie.empty()) return std::nullopt;
  return Form{MsnCommandKind::XfrSb, *id, XfrSbFields{std::string(address), std::string(cookie)}};
}

// An up-to-date list is answered with the two versions alone, so the counts are optional.
FormResult ParseSyn(LineReader& reader) {
  const auto id = reader.Number();
  const std::string_view version1 = reader.Next();
  const std::string_view version2 = reader.Next();
  if (!id || version2.empty()) return std::nullopt;
  SynFields fields{reader.Text(version1), reader.Text(version2)};
  for (int* count : {&fields.contacts, &fields.groups}) {
    const std::string_view token = reader.Next();
    if (token.empty()) break;
    const auto value = Decimal(token);
    if (!value) return std::nullopt;
    *count = *value;
  }
  return Form{MsnCommandKind::Syn, *id, std::move(fields)};
}

FormResult ParseLsg(LineReader& reader) {
  const std::string_view name = reader.Next();
  const std::string_view id = reader.Next();
  if (id.empty()) return std::nullopt;
  return Form{MsnCommandKind::Lsg, -1, LsgFields{LineReader::Name(name), reader.Text(id)}};
}

FormResult ParseLst(LineReader& reader) {
  LstFields fields;
  bool hasEmail = false;
  std::string_view token = reader.Next();
  for (; !token.empty(); token = reader.Next()) {
    if (StartsWith(token, "N=")) {
      fields.email = reader.Text(UrlDecode(token.substr(2)));
      hasEmail = !fields.email.empty();
    } else if (StartsWith(token, "F=")) {
      fields.friendlyName = LineReader::Name(token.substr(2));
    } else if (StartsWith(token, "C=")) {
      fields.guid = reader.Text(token.substr(2));
    } else {
      break;
    }
  }
  const auto lists = Decimal(token);
  if (!hasEmail || !lists) return std::nullopt;
  fields.lists = *lists;
  const std::string_view groups = reader.Next();
  for (size_t start = 0; start < groups.size();) {
    const size_t comma = std::min(groups.find(',', start), groups.size());
    if (comma > start) fields.groups.push_back(reader.Text(groups.substr(start, comma - start)));
    start = comma + 1;
  }
  return Form{MsnCommandKind::Lst, -1, std::move(fields)};
}

FormResult ParseAdc(LineReader& reader) {
  const auto id = reader.Number();
  const std::string_view list = reader.Next();
  if (!id || list.empty()) return std::nullopt;
  AdcFields fields;
  fields.list = reader.Text(list);
  bool hasEmail = false;
  bool hasGuid = false;
  for (std::string_view token = reader.Next(); !token.empty(); token = reader.Next()) {
    if (StartsWith(token, "N=")) {
      fields.email = reader.Text(token.substr(2));
      hasEmail = !fields.email.empty();
    } else if (StartsWith(token, "F=")) {
      fields.friendlyName = LineReader::Name(token.substr(2));
    } else if (StartsWith(token, "C=")) {
      fields.guid = reader.Text(token.substr(2));
      hasGuid = !fields.guid.empty();
    } else {
      fields.group = reader.Text(token);
      break;
    }
  }
  if (!hasEmail || (list == "FL" && !hasGuid)) return std::nullopt;
  return Form{MsnCommandKind::Adc, *id, std::move(fields)};
}

FormResult ParseRem(LineReader& reader) {
  const auto id = reader.Number();
  const std::string_view list = reader.Next();
  const std::string_view target = reader.Next();
  if (!id || target.empty()) return std::nullopt;
  const std::string_view group = reader.Next();
  return Form{MsnCommandKind::Rem, *id, RemFields{reader.Text(list), reader.Text(target), reader.Text(group)}};
}

FormResult ParseChl(LineReader& reader) {
  const auto id = reader.Number();
  const std::string_view challenge = reader.Next();
  if (!id || challenge.empty()) return std::nullopt;
  return Form{MsnCommandKind::Chl, *id, ChlFields{std::string(challenge)}};
}

FormResult ParseChg(LineReader& reader) {
  const auto id = reader.Number();
  const std::string_view code = reader.Next();
  if (!id || code.empty()) return std::nullopt;
  return Form{MsnCommandKind::Chg, *id, ChgFields{std::string(code)}};
}

// ILN id code email name [capabilities] and NLN code email name [capabilities].
FormResult ParsePresence(LineReader& reader, MsnCommandKind kind) {
  int transactionId = -1;
  if (kind == MsnCommandKind::Iln) {
    const auto id = reader.Number();
    if (!id) return std::nullopt;
    transactionId = *id;
  }
  const std::string_view code = reader.Next();
  const std::string_view email = reader.Next();
  const std::string_view name = reader.Next();
  if (name.empty()) return std::nullopt;
  return Form{kind, transactionId, PresenceFields{std::string(code), reader.Text(email), LineReader::Name(name)}};
}

FormResult ParseFln(LineReader& reader) {
  const std::string_view email = reader.Next();
  if (email.empty()) return std::nullopt;
  return Form{MsnCommandKind::Fln, -1, FlnFields{reader.Text(email)}};
}

FormResult ParseRng(LineReader& reader) {
  const std::string_view session = reader.Next();
  const std::string_view address = reader.Next();
  if (address.empty() || !reader.Expect("CKI")) return std::nullopt;
  const std::string_view cookie = reader.Next();
  const std::string_view email = reader.Next();
  const std::string_view name = reader.Next();
  if (name.empty()) return std::nullopt;
  return Form{MsnCommandKind::Rng, -1,
              RngFields{std::string(session), std::string(address), std::string(cookie), reader.Text(email),
                        LineReader::Name(name)}};
}

FormResult ParseIro(LineReader& reader) {
  const auto id = reader.Number();
  const auto index = reader.Number();
  const auto total = reader.Number();
  const std::string_view email = reader.Next();
  const std::string_view name = reader.Next();
  if (!id || !index || !total || name.empty()) return std::nullopt;
  return Form{MsnCommandKind::Iro, *id, IroFields{*index, *total, reader.Text(email), LineReader::Name(name)}};
}

FormResult ParseAns(LineReader& reader) {
  const auto id = reader.Number();
  if (!id || !reader.Expect("OK")) return std::nullopt;
  return Form{MsnCommandKind::Ans, *id, {}};
}

FormResult ParseJoi(LineReader& reader) {
  const std::string_view email = reader.Next();
  const std::string_view name = reader.Next();
  if (name.empty()) return std::nullopt;
  return Form{MsnCommandKind::Joi, -1, JoiFields{reader.Text(email), LineReader::Name(name)}};
}

FormResult ParseBye(LineReader& reader) {
  const std::string_view email = reader.Next();
  if (email.empty()) return std::nullopt;
  return Form{MsnCommandKind::Bye, -1, ByeFields{reader.Text(email)}};
}

FormResult ParseOut(LineReader& reader) { return Form{MsnCommandKind::Out, -1, OutFields{std::string(reader.Next())}}; }

// MSG sender name length, NOT length and IPG length: the length is the line's last token and
// counts the payload bytes after the line end.
FormResult ParsePayloadLine(LineReader& reader, MsnCommandKind kind, size_t& payloadLength) {
  std::string_view sender;
  std::string_view name;
  std::string_view last;
  int tokens = 0;
  for (std::string_view token = reader.Next(); !token.empty(); token = reader.Next(), ++tokens) {
    if (tokens == 0) sender = token;
    if (tokens == 1) name = token;
    last = token;
  }
  const auto length = Decimal(last);
  if (!length || static_cast<size_t>(*length) > kMaxPayloadLength) return std::nullopt;
  if (kind == MsnCommandKind::Msg && tokens < 3) return std::nullopt;
  payloadLength = static_cast<size_t>(*length);
  if (kind != MsnCommandKind::Msg) return Form{kind, -1, {}};
  return Form{kind, -1, MsgFields{reader.Text(sender), LineReader::Name(name)}};
}

// The forms of the command word at the start of `line` that this kind of connection knows.
FormResult ParseKnown(MsnConnectionKind connection, std::string_view line, uint32_t codePage, size_t& payloadLength) {
  if (line.size() < 3 || (line.size() > 3 && line[3] != ' ')) return std::nullopt;
  const bool notification = connection == MsnConnectionKind::Notification;
  const std::string_view rest = line.substr(3);
  LineReader reader(rest, codePage);
  const uint32_t code = Code(line);
  using K = MsnCommandKind;
  switch (code) {
    case Code("BLP"): return ParseSetting(reader, K::Blp);
    case Code("CHL"): return ParseChl(reader);
    case Code("CVR"): return ParseIdOnly(reader, K::Cvr);
    case Code("GTC"): return ParseSetting(reader, K::Gtc);
    case Code("ILN"): return ParsePresence(reader, K::Iln);
    case Code("IPG"): return ParsePayloadLine(reader, K::Ipg, payloadLength);
    case Code("LSG"): return ParseLsg(reader);
    case Code("LST"): return ParseLst(reader);
    case Code("MSG"): return ParsePayloadLine(reader, K::Msg, payloadLength);
    case Code("NOT"): return ParsePayloadLine(reader, K::Not, payloadLength);
    case Code("PRP"): return ParseSetting(reader, K::Prp);
    case Code("QRY"): return ParseIdOnly(reader, K::Qry);
    case Code("SYN"): return ParseSyn(reader);
    case Code("VER"): return ParseVer(reader);
    case Code("USR"): {
      if (!notification) return ParseUsrOk(reader, connection);
      if (auto form = ParseUsrTwnS(reader)) return form;
      LineReader again(rest, codePage);
      return ParseUsrOk(again, connection);
    }
    case Code("XFR"): {
      if (auto form = ParseXfrNs(reader)) return form;
      LineReader again(rest, codePage);
      return ParseXfrSb(again);
    }
    default: break;
  }
  if (notification) {
    switch (code) {
      case Code("ADC"): return ParseAdc(reader);
      case Code("CHG"): return ParseChg(reader);
      case Code("FLN"): return ParseFln(reader);
      case Code("NLN"): return ParsePresence(reader, K::Nln);
      case Code("OUT"): return ParseOut(reader);
      case Code("REM"): return ParseRem(reader);
      case Code("RNG"): return ParseRng(reader);
      default: return std::nullopt;
    }
  }
  switch (code) {
    case Code("ACK"): return ParseIdOnly(reader, K::Ack);
    case Code("ANS"): return ParseAns(reader);
    case Code("BYE"): return ParseBye(reader);
    case Code("IRO"): return ParseIro(reader);
    case Code("JOI"): return ParseJoi(reader);
    case Code("NAK"): return ParseIdOnly(reader, K::Nak);
    default: return std::nullopt;
  }
}

// "NNN id": a server error answering the request with that transaction id.
FormResult ParseError(std::string_view line, uint32_t codePage) {
  if (line.empty() || line[0] == ' ') return std::nullopt;
  LineReader reader(line, codePage);
  const auto code = reader.Number();
  const auto id = reader.Number();
  if (!code || !id || !reader.Next().empty()) return std::nullopt;
  return Form{MsnCommandKind::Error, *id, ErrorFields{*code}};
}

}  // namespace

std::optional<ParsedCommand> ParseMsnCommand(MsnConnectionKind kind, std::span<const uint8_t> buffer, size_t offset,
                                             uint32_t codePage) {
  if (offset >= buffer.size()) return std::nullopt;
  const std::span<const uint8_t> rest = buffer.subspan(offset);
  const void* newline = std::memchr(rest.data(), '\n', rest.size());
  if (newline == nullptr) return std::nullopt;
  const auto lineLength = static_cast<size_t>(static_cast<const uint8_t*>(newline) - rest.data());
  const size_t lineEnd = offset + lineLength + 1;
  const size_t textLength = lineLength > 0 && rest[lineLength - 1] == '\r' ? lineLength - 1 : lineLength;
  const std::string_view line(reinterpret_cast<const char*>(rest.data()), textLength);

  size_t payloadLength = 0;
  FormResult form = ParseKnown(kind, line, codePage, payloadLength);
  if (!form) {
    payloadLength = 0;
    form = ParseError(line, codePage);
  }
  if (!form) form = Form{};
  if (buffer.size() - lineEnd < payloadLength) return std::nullopt;

  std::vector<uint8_t> payload(buffer.begin() + static_cast<ptrdiff_t>(lineEnd),
                               buffer.begin() + static_cast<ptrdiff_t>(lineEnd + payloadLength));
  auto command = std::make_shared<const MsnCommand>(form->kind, form->transactionId, std::string(line),
                                                    std::move(form->fields), std::move(payload));
  return ParsedCommand{lineEnd + payloadLength, std::move(command)};
}

}  // namespace quelt::msn
