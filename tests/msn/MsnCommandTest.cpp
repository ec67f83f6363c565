#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "msn/MsnCommand.h"
#include "msn/MsnParser.h"
#include "msn/UrlCoding.h"
#include "platform/TextCodec.h"

namespace quelt::msn {
namespace {

using Bytes = std::vector<uint8_t>;
using K = MsnCommandKind;
constexpr auto kNs = MsnConnectionKind::Notification;
constexpr auto kSb = MsnConnectionKind::Switchboard;
constexpr uint32_t kWestern = 1252;

Bytes ToBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }
std::string ToText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::optional<ParsedCommand> Parse(MsnConnectionKind kind, std::string_view text, size_t offset = 0) {
  const Bytes bytes = ToBytes(text);
  return ParseMsnCommand(kind, bytes, offset, kWestern);
}

// Everything a connection would post from `stream`, parsed from the front as its loop does.
std::vector<MsnCommandPtr> ParseAll(MsnConnectionKind kind, const Bytes& stream, size_t* end = nullptr) {
  std::vector<MsnCommandPtr> commands;
  size_t offset = 0;
  while (auto parsed = ParseMsnCommand(kind, stream, offset, kWestern)) {
    EXPECT_GT(parsed->next, offset);
    offset = parsed->next;
    commands.push_back(parsed->command);
  }
  if (end != nullptr) *end = offset;
  return commands;
}

TEST(MsnCommandSerializeTest, PayloadLengthIsAppendedToTheLineAndHeadersFollowInByteOrder) {
  const std::string text = "Hello from the other side!!!!";
  const auto message = MsnCommand::Outgoing(
      "MSG 5 U", {{"MIME-Version", "1.0"}, {"Content-Type", "text/plain; charset=UTF-8"}}, ToBytes(text));
  EXPECT_EQ(message->TransactionId(), 5);
  EXPECT_EQ(ToText(message->Bytes()),
            "MSG 5 U 91\r\nContent-Type: text/plain; charset=UTF-8\r\nMIME-Version: 1.0\r\n\r\n" + text);

  const auto typing = MsnCommand::Outgoing("MSG 6 U", {{"TypingUser", "me@example.com"},
                                                       {"X-MMS-IM-Format", "FN=Arial"},
                                                       {"MIME-Version", "1.0"},
                                                       {"Content-Type", "text/x-msmsgscontrol"},
                                                       {"charset", "x"}});
  EXPECT_EQ(ToText(typing->Bytes()),
            "MSG 6 U 124\r\nContent-Type: text/x-msmsgscontrol\r\nMIME-Version: 1.0\r\nTypingUser: me@example.com\r\n"
            "X-MMS-IM-Format: FN=Arial\r\ncharset: x\r\n\r\n");

  // A body alone still makes a payload command, with an empty header block.
  EXPECT_EQ(ToText(MsnCommand::Outgoing("MSG 7 N", {}, ToBytes("hi"))->Bytes()), "MSG 7 N 4\r\n\r\nhi");
}

TEST(MsnCommandSerializeTest, PlainLinesCarryNoLengthAndExtraBytesFollowTheLineEnd) {
  const auto ping = MsnCommand::Outgoing("PNG");
  EXPECT_EQ(ToText(ping->Bytes()), "PNG\r\n");
  EXPECT_EQ(ping->TransactionId(), -1);

  const std::string digits = "8f2a0c3e5d7b9a1c4e6f8a0b2c4d6e8f";
  const auto answer = MsnCommand::OutgoingWithExtra("QRY 7 client@example.com 32", ToBytes(digits));
  EXPECT_EQ(ToText(answer->Bytes()), "QRY 7 client@example.com 32\r\n" + digits);
  EXPECT_EQ(answer->TransactionId(), 7);

  // Serialising appends to what the send buffer already holds.
  Bytes out = ToBytes("VER 1 MSNP10\r\n");
  MsnCommand::Outgoing("ADC 12 FL N=a@example.com F=a@example.com")->Serialize(0, out);
  EXPECT_EQ(ToText(out), "VER 1 MSNP10\r\nADC 12 FL N=a@example.com F=a@example.com\r\n");
}

struct ParseCase {
  MsnConnectionKind connection;
  std::string line;  // without its end
  std::string payload;
  K kind;
  int transactionId;
  MsnCommandFields fields;
};

// Built statement by statement: one braced table of variants takes the compiler gigabytes.
std::vector<ParseCase> Cases() {
  std::vector<ParseCase> cases;
  const auto add = [&cases](MsnConnectionKind connection, std::string line, std::string payload, K kind, int id,
                            MsnCommandFields fields = {}) {
    cases.push_back({connection, std::move(line), std::move(payload), kind, id, std::move(fields)});
  };
  add(kNs, "VER 1 MSNP10 CVR0", "", K::Ver, 1, VerFields{{"MSNP10", "CVR0"}});
  add(kSb, "VER 1 MSNP9", "", K::Ver, 1, VerFields{{"MSNP9"}});
  add(kNs, "CVR 2 6.2.0205 6.2.0205 6.0.0602 http://example.com/a http://example.com/b", "", K::Cvr, 2);
  add(kNs, "USR 3 TWN S lc=1033,id=507,tw=40,ct=1062764229,kpp=1,kv=5", "", K::UsrTwnS, 3,
      UsrTwnSFields{"lc=1033,id=507,tw=40,ct=1062764229,kpp=1,kv=5"});
  add(kNs, "USR 5 OK alice@example.com Alice%20Smith 1 0", "", K::UsrOkNs, 5,
      UsrOkFields{u"alice@example.com", u"Alice Smith", true});
  add(kNs, "USR 5 OK alice@example.com Alice", "", K::UsrOkNs, 5, UsrOkFields{u"alice@example.com", u"Alice", false});
  add(kSb, "USR 1 OK alice@example.com Alice%20Smith", "", K::UsrOkSb, 1,
      UsrOkFields{u"alice@example.com", u"Alice Smith", false});
  add(kNs, "XFR 3 NS 10.1.2.3:1863 0 10.1.2.4:1863", "", K::XfrNs, 3, XfrNsFields{"10.1.2.3:1863"});
  add(kNs, "XFR 10 SB 10.1.2.5:1863 CKI 17262740.1050826919.32308", "", K::XfrSb, 10,
      XfrSbFields{"10.1.2.5:1863", "17262740.1050826919.32308"});
  add(kSb, "XFR 4 SB 10.1.2.5:1863 CKI 1.2.3", "", K::XfrSb, 4, XfrSbFields{"10.1.2.5:1863", "1.2.3"});
  add(kNs, "SYN 6 2005-04-23T18:57:44.81-07:00 2005-04-23T18:57:54.20-07:00 12 3", "", K::Syn, 6,
      SynFields{u"2005-04-23T18:57:44.81-07:00", u"2005-04-23T18:57:54.20-07:00", 12, 3});
  add(kNs, "SYN 6 v1 v2", "", K::Syn, 6, SynFields{u"v1", u"v2", 0, 0});
  add(kNs, "GTC A", "", K::Gtc, -1);
  add(kSb, "GTC 12 A", "", K::Gtc, 12);
  add(kNs, "BLP AL", "", K::Blp, -1);
  add(kNs, "PRP 9 MFN Me%20Myself", "", K::Prp, 9);
  add(kNs, "LSG Friends%20%C3%A9t%C3%A9 0f1e2d3c-0000-4000-8000-000000000001", "", K::Lsg, -1,
      LsgFields{u"Friends \u00e9t\u00e9", u"0f1e2d3c-0000-4000-8000-000000000001"});
  add(kNs, "LST N=bob%40example.com F=Bob%20%E2%98%BA C=5b6c 11 g1,,g2", "", K::Lst, -1,
      LstFields{u"bob@example.com", u"Bob \u263a", u"5b6c", 11, {u"g1", u"g2"}});
  add(kSb, "LST C=5b6d F=Carol N=carol@example.com 13", "", K::Lst, -1,
      LstFields{u"carol@example.com", u"Carol", u"5b6d", 13, {}});
  add(kNs, "LST N=ren%E9@example.com 10", "", K::Lst, -1, LstFields{u"ren\u00e9@example.com", u"", u"", 10, {}});
  add(kNs, "CHL 0 15570131571988941333", "", K::Chl, 0, ChlFields{"15570131571988941333"});
  add(kSb, "QRY 7", "", K::Qry, 7);
  add(kNs, "ILN 9 AWY eve@example.com Eve%20E. 268435492", "", K::Iln, 9,
      PresenceFields{"AWY", u"eve@example.com", u"Eve E."});
  add(kSb, "ILN 9 NLN ren\xe9@example.com Ren%C3%A9", "", K::Iln, 9,
      PresenceFields{"NLN", u"ren\u00e9@example.com", u"Ren\u00e9"});
  add(kNs, "NLN BSY frank@example.com Frank 268435456", "", K::Nln, -1,
      PresenceFields{"BSY", u"frank@example.com", u"Frank"});
  add(kNs, "FLN frank@example.com", "", K::Fln, -1, FlnFields{u"frank@example.com"});
  add(kNs, "RNG 11752013 10.1.2.6:1863 CKI 849102291.520491113 helen@example.com Helen%20H", "", K::Rng, -1,
      RngFields{"11752013", "10.1.2.6:1863", "849102291.520491113", u"helen@example.com", u"Helen H"});
  add(kNs, "ADC 16 FL N=ivan@example.com F=Ivan C=9a8b", "", K::Adc, 16,
      AdcFields{u"FL", u"ivan@example.com", u"Ivan", u"9a8b", u""});
  add(kNs, "ADC 19 RL F=Judy%20J N=judy@example.com 0b0c extra", "", K::Adc, 19,
      AdcFields{u"RL", u"judy@example.com", u"Judy J", u"", u"0b0c"});
  add(kNs, "REM 20 FL 9a8b", "", K::Rem, 20, RemFields{u"FL", u"9a8b", u""});
  add(kNs, "REM 21 FL 9a8b 0b0c", "", K::Rem, 21, RemFields{u"FL", u"9a8b", u"0b0c"});
  add(kNs, "CHG 11 NLN 0", "", K::Chg, 11, ChgFields{"NLN"});
  add(kNs, "OUT", "", K::Out, -1, OutFields{""});
  add(kNs, "OUT OTH", "", K::Out, -1, OutFields{"OTH"});
  add(kNs, "911 3", "", K::Error, 3, ErrorFields{911});
  add(kSb, "217 8", "", K::Error, 8, ErrorFields{217});
  add(kNs, "MSG Hotmail Hotmail 5", "ab\ncd", K::Msg, -1, MsgFields{u"Hotmail", u"Hotmail"});
  add(kSb, "MSG alice@example.com Alice%20S 11", "OUT OTH\r\nXY", K::Msg, -1,
      MsgFields{u"alice@example.com", u"Alice S"});
  add(kSb, "MSG alice@example.com Alice 0", "", K::Msg, -1, MsgFields{u"alice@example.com", u"Alice"});
  add(kNs, "NOT 4", "<n/>", K::Not, -1);
  add(kSb, "IPG 3", "xyz", K::Ipg, -1);
  add(kSb, "IRO 1 1 2 bob@example.com Bob%20B", "", K::Iro, 1, IroFields{1, 2, u"bob@example.com", u"Bob B"});
  add(kSb, "ANS 1 OK", "", K::Ans, 1);
  add(kSb, "JOI carol@example.com Carol", "", K::Joi, -1, JoiFields{u"carol@example.com", u"Carol"});
  add(kSb, "BYE carol@example.com 1", "", K::Bye, -1, ByeFields{u"carol@example.com"});
  add(kSb, "ACK 4", "", K::Ack, 4);
  add(kSb, "NAK 5", "", K::Nak, 5);
  return cases;
}

const std::vector<ParseCase> kCases = Cases();

// The same command as servers also write it: spaces doubled, trailing spaces, no CR.
std::vector<std::string> Spellings(const std::string& line) {
  std::string spaced;
  for (const char c : line) spaced += c == ' ' ? std::string("  ") : std::string(1, c);
  return {line + "\r\n", spaced + "\r\n", line + "   \r\n", line + "\n"};
}

TEST(MsnParserTest, EveryLineFormYieldsItsKindIdAndFields) {
  for (const ParseCase& c : kCases) {
    for (const std::string& spelling : Spellings(c.line)) {
      SCOPED_TRACE(spelling);
      const std::string bytes = spelling + c.payload;
      const auto parsed = Parse(c.connection, bytes);
      ASSERT_TRUE(parsed.has_value());
      EXPECT_EQ(parsed->next, bytes.size());
      const MsnCommand& command = *parsed->command;
      EXPECT_EQ(command.Kind(), c.kind);
      EXPECT_EQ(command.TransactionId(), c.transactionId);
      EXPECT_TRUE(command.Fields() == c.fields);
      EXPECT_EQ(command.Line(), spelling.substr(0, spelling.find_first_of("\r\n")));
      EXPECT_EQ(ToText(command.Extra()), c.payload);
      // A received command, written as it came, serialises back to its bytes.
      if (spelling == c.line + "\r\n") {
        EXPECT_EQ(ToText(command.Bytes()), bytes);
      }
    }
  }
}

TEST(MsnParserTest, LinesThatMatchNoFormOfTheirConnectionAreConsumedAsUnknown) {
  const std::vector<std::pair<MsnConnectionKind, std::string>> lines = {
      // The other kind's command set.
      {kNs, "ACK 4"},
      {kNs, "NAK 4"},
      {kNs, "ANS 1 OK"},
      {kNs, "IRO 1 1 2 a@example.com A"},
      {kNs, "JOI a@example.com A"},
      {kNs, "BYE a@example.com"},
      {kSb, "NLN NLN a@example.com A"},
      {kSb, "FLN a@example.com"},
      {kSb, "ADC 1 AL N=a@example.com"},
      {kSb, "REM 1 AL a@example.com"},
      {kSb, "CHG 1 NLN 0"},
      {kSb, "OUT OTH"},
      {kSb, "RNG 1 10.1.2.6:1863 CKI 1.2 a@example.com A"},
      {kSb, "USR 3 TWN S policy"},
      // Known words in forms they do not have.
      {kNs, "USR 3 TWN S"},
      {kNs, "USR 3 TWN I a@example.com"},
      {kNs, "USR 5 OK a@example.com A yes"},
      {kNs, "XFR 10 SB 10.1.2.5:1863 KCI 1.2"},
      {kNs, "XFR 10 SB 10.1.2.5:1863 CKI"},
      {kNs, "XFR x NS 10.1.2.3:1863"},
      {kNs, "ADC 18 FL C=9a8b 0b0c"},
      {kNs, "ADC 18 FL N=a@example.com F=A"},
      {kNs, "LST F=A C=9a8b 3"},
      {kNs, "LST N=a@example.com F=A"},
      {kNs, "SYN 1 v1 v2 many"},
      {kNs, "SYN 1 v1"},
      {kSb, "ACK x"},
      {kSb, "ANS 1 NO"},
      {kNs, "ILN x NLN a@example.com A"},
      {kNs, "VER 99999999999 MSNP10"},
      {kNs, "CHL 0"},
      {kNs, "RNG 1 10.1.2.6:1863 CKI 1.2 a@example.com"},
      {kSb, "IRO 1 1 a@example.com A"},
      {kNs, "MSG Hotmail Hotmail"},
      {kNs, "MSG Hotmail 5"},
      {kNs, "MSG a b -5"},
      {kNs, "MSGX a b 3"},
      {kNs, "NOT"},
      {kNs, "VERY 1 MSNP10"},
      {kNs, "VE"},
      {kSb, "MSG a@example.com A 999999999"},  // a payload too long to wait for
      // Not numeric errors either.
      {kNs, "QNG 50"},
      {kNs, "911 3 2"},
      {kNs, "911"},
      {kNs, " 911 3"},
      {kSb, "91x 3"},
      {kNs, ""},
  };
  for (const auto& [connection, line] : lines) {
    const std::string bytes = line + "\r\nVER 2 MSNP10\r\n";
    SCOPED_TRACE(bytes);
    const auto parsed = Parse(connection, bytes);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->next, line.size() + 2);
    EXPECT_EQ(parsed->command->Kind(), K::Unknown);
    EXPECT_EQ(parsed->command->TransactionId(), -1);
    EXPECT_EQ(parsed->command->Line(), line);
    EXPECT_TRUE(parsed->command->Extra().empty());
    const auto following = Parse(connection, bytes, parsed->next);
    ASSERT_TRUE(following.has_value());
    EXPECT_EQ(following->command->Kind(), K::Ver);
  }
}

TEST(MsnParserTest, NothingIsConsumedUntilTheWholeCommandIsThere) {
  const std::string message = "MSG alice@example.com Alice 16\r\nOUT OTH\r\nACK 9\r\n";
  // The rest of the stream sits in memory after the span but must not be read.
  const Bytes buffer = ToBytes(message + "ACK 10\r\n");
  for (size_t cut = 0; cut <= message.size(); ++cut) {
    const auto parsed = ParseMsnCommand(kSb, std::span(buffer).first(cut), 0, kWestern);
    EXPECT_EQ(parsed ? parsed->next : 0, cut == message.size() ? cut : 0) << cut;
  }
}

TEST(MsnParserTest, AStreamCutAtAnyPointsYieldsTheSameCommandsInOrder) {
  for (const MsnConnectionKind connection : {kNs, kSb}) {
    std::string text;
    std::vector<K> kinds;
    for (const ParseCase& c : kCases) {
      if (c.connection != connection) continue;
      text += c.line + "\r\n" + c.payload;
      kinds.push_back(c.kind);
    }
    const Bytes stream = ToBytes(text);
    size_t end = 0;
    const std::vector<MsnCommandPtr> whole = ParseAll(connection, stream, &end);
    EXPECT_EQ(end, stream.size());
    ASSERT_EQ(whole.size(), kinds.size());
    for (size_t i = 0; i < kinds.size(); ++i) EXPECT_EQ(whole[i]->Kind(), kinds[i]);

    // Received in random pieces and compacted as the connection does.
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
      Bytes buffer;
      std::vector<MsnCommandPtr> received;
      for (size_t at = 0; at < stream.size();) {
        const size_t piece = std::min<size_t>(1 + random() % 40, stream.size() - at);
        buffer.insert(buffer.end(), stream.begin() + static_cast<long>(at),
                      stream.begin() + static_cast<long>(at + piece));
        at += piece;
        size_t offset = 0;
        while (auto parsed = ParseMsnCommand(connection, buffer, offset, kWestern)) {
          offset = parsed->next;
          received.push_back(parsed->command);
        }
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<long>(offset));
      }
      EXPECT_TRUE(buffer.empty());
      ASSERT_EQ(received.size(), whole.size());
      for (size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(received[i]->Line(), whole[i]->Line());
        EXPECT_EQ(received[i]->Extra(), whole[i]->Extra());
        EXPECT_TRUE(received[i]->Fields() == whole[i]->Fields());
      }
    }
  }
}

TEST(UrlCodingTest, EncodesAllButTheKeptBytesInLowerCaseHex) {
  EXPECT_EQ(UrlEncode("pa,ss'word"), "pa%2css%27word");
  EXPECT_EQ(UrlEncode("J.Doe-1_x@example.com"), "J.Doe-1_x@example.com");
  EXPECT_EQ(UrlEncode(std::string("a b~\xe9\x00+", 7)), "a%20b%7e%e9%00%2b");
  EXPECT_EQ(UrlEncode(""), "");
}

TEST(UrlCodingTest, DecodesEitherCaseAndKeepsMalformedEscapes) {
  EXPECT_EQ(platform::Utf8ToUtf16(UrlDecode("Ren%C3%A9%20%c3%a9")), u"Ren\u00e9 \u00e9");
  EXPECT_EQ(UrlDecode("100%"), "100%");
  EXPECT_EQ(UrlDecode("%4"), "%4");
  EXPECT_EQ(UrlDecode("%zz%4g"), "%zz%4g");
  EXPECT_EQ(UrlDecode("%%41"), "%A");
  EXPECT_EQ(UrlDecode("a+b"), "a+b");

  std::string every;
  for (int byte = 0; byte < 256; ++byte) every.push_back(static_cast<char>(byte));
  EXPECT_EQ(UrlDecode(UrlEncode(every)), every);
}

}  // namespace
}  // namespace quelt::msn
