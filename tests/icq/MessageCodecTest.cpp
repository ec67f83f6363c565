#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "icq/ByteWriter.h"
#include "icq/IcqMessageCodec.h"
#include "icq/IcqMetaCodec.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

using Bytes = std::vector<uint8_t>;

// "2A 02 00 01" -> bytes; blanks between digits are optional.
Bytes Hex(std::string_view text) {
  std::string digits;
  std::copy_if(text.begin(), text.end(), std::back_inserter(digits), [](char c) { return c != ' '; });
  Bytes bytes;
  for (size_t i = 0; i + 1 < digits.size(); i += 2) bytes.push_back(std::stoi(digits.substr(i, 2), nullptr, 16));
  return bytes;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Chars(std::string_view text) { return Bytes(text.begin(), text.end()); }

// A (0x04,0x07) header from "1234" with a TLV count that does not match what follows.
Bytes Incoming(uint16_t channel, const Bytes& tlvs) {
  return Cat({Hex("0102030405060708"), {0, static_cast<uint8_t>(channel)}, Hex("04 31323334 0000 0001"), tlvs});
}

Bytes Tlv16(uint16_t type, const Bytes& value) {
  ByteWriter out;
  out.U16(type).U16(static_cast<uint16_t>(value.size())).Append(value);
  return out.Take();
}

const std::u16string kPrivet = u"\u041F\u0440\u0438\u0432\u0435\u0442";
const Bytes kPrivetCp1251 = Hex("CF F0 E8 E2 E5 F2");
const Bytes kPrivetUtf8 = Hex("D09F D180 D0B8 D0B2 D0B5 D182");
const Bytes kRelay = Hex("09461349 4C7F11D1 82224445 53540000");
const std::string kUtf8Guid = "{0946134E-4C7F-11D1-8222-444553540000}";
const Bytes kFirstBlock = Cat({Hex("0800"), Bytes(16, 0), Hex("0000 03000000 00 FFFF")});
const Bytes kSecondBlock = Cat({Hex("FFFF"), Bytes(12, 0)});

// A channel-2 message as a real client sends it through the server relay.
Bytes Channel2(const Bytes& text, const std::string& capability, const Bytes& relay = kRelay, uint8_t plugin = 0,
               size_t cut = 0) {
  Bytes first = kFirstBlock;
  first[2] = plugin;
  ByteWriter extension;
  extension.U16Le(static_cast<uint16_t>(first.size())).Append(first);
  extension.U16Le(static_cast<uint16_t>(kSecondBlock.size())).Append(kSecondBlock);
  extension.U8(1).U8(0).U16Le(0x0013).U16Le(0x0001).U16Le(static_cast<uint16_t>(text.size() + 1)).Append(text).U8(0);
  extension.U32(0).U32(0xFFFFFF00).U32Le(static_cast<uint32_t>(capability.size())).Append(capability);
  Bytes inner = extension.Take();
  inner.resize(inner.size() - cut);
  const Bytes rendezvous = Cat({Hex("0000 0102030405060708"), relay, Tlv16(0x000A, Hex("0001")), Tlv16(0x2711, inner)});
  return Incoming(2, Cat({Tlv16(0x0006, Hex("0000 0011")), Tlv16(0x0005, rendezvous)}));
}

TEST(MessageCodecTest, ChoosesTheEncodingInItsOrder) {
  using enum TextEncoding;
  const Bytes utf16 = Hex("041F 0440 0438 0432 0435 0442");
  const struct {
    std::u16string text;
    bool offline, unicode, prefer;
    uint32_t codePage;
    TextEncoding encoding;
    Bytes bytes;
  } cases[] = {
      {u"Hello", true, false, false, 1251, Ascii, Chars("Hello")},
      {kPrivet, false, true, false, 1251, CodePage, kPrivetCp1251},
      {kPrivet, false, true, false, 1252, Unicode, utf16},
      {kPrivet, false, true, true, 1251, Unicode, utf16},
      {kPrivet, true, true, false, 1252, Refused, {}},
      {kPrivet, true, true, true, 1251, CodePage, kPrivetCp1251},
      {kPrivet, false, false, true, 1252, Refused, {}},
      {u"caf\u00E9", false, false, false, 0, CodePage, Hex("636166E9")},
  };
  for (const auto& c : cases) {
    const EncodedText encoded = ChooseEncoding(c.text, c.offline, c.unicode, c.prefer, c.codePage);
    EXPECT_EQ(std::tie(encoded.encoding, encoded.bytes), std::tie(c.encoding, c.bytes)) << c.codePage;
    EXPECT_EQ(encoded.codePage, c.encoding == CodePage ? c.codePage : 0u);
  }
  EXPECT_EQ(MakeSendMessage(1, "1234", ChooseEncoding(kPrivet, true, false, false, 1252), true), nullptr);
}

TEST(MessageCodecTest, CommandsHaveTheirExactLayouts) {
  const uint32_t own = 0x04030201;
  const IcqSearchQuery nickname{.nickname = u"Bob"};
  const IcqSearchQuery everything{u"C", u"A", u"B", u"D", u"Oslo", 30, 39, 2};
  const struct {
    SnacPtr snac;
    uint16_t family, subtype;
    uint32_t requestId;
    const char* data;
  } cases[] = {
      {MakeSendMessage(0x0102030405060708, "1234", ChooseEncoding(u"Hello", false, false, false, 0), false), 4, 6, 6,
       "0102030405060708 0001 04 31323334 0002 0012 0501 0001 01 0101 0009 0000 0000 48656C6C6F"},
      {MakeSendMessage(0x0A, "1234", ChooseEncoding(u"\u042F", false, true, true, 1251), true), 4, 6, 6,
       "000000000000000A 0001 04 31323334 0002 0010 0501 0002 0106 0101 0006 0002 0000 042F 0006 0000"},
      {MakeTypingNotification("1234", 2), 4, 0x14, 0x14, "0000000000000000 0001 04 31323334 0002"},
      {MakeUserInfoRequest(own, 0x0A0B0C0D, 0x00010002), 0x15, 2, 0x00010002,
       "0001 0010 0E00 01020304 D007 0200 B204 0D0C0B0A"},
      {MakeSearchByUin(own, 0x0A0B0C0D, 7, 5), 0x15, 2, 7, "0001 0014 1200 01020304 D007 0500 6905 3601 0400 0D0C0B0A"},
      {MakeSearchByData(own, nickname, 8, 9, 1251), 0x15, 2, 8,
       "0001 0016 1400 01020304 D007 0900 5F05 5401 0600 0400 426F6200"},
      {MakeSearchByData(own, everything, 8, 9, 1251), 0x15, 2, 8,
       "0001 0044 4200 01020304 D007 0900 5F05 9001 0700 0500 4F736C6F00 6801 0400 1E00 2700 7C01 0100 02"
       "4001 0400 0200 4100 4A01 0400 0200 4200 5401 0400 0200 4300 5E01 0400 0200 4400"},
      {MakeDeleteOfflineMessages(own), 0x15, 2, 0x00020001, "0001 000A 0800 01020304 3E00 0000 0000"},
  };
  for (const auto& c : cases) {
    ASSERT_NE(c.snac, nullptr) << c.data;
    EXPECT_EQ(std::make_tuple(c.snac->Family(), c.snac->Subtype(), c.snac->RequestId(), c.snac->Data()),
              std::make_tuple(c.family, c.subtype, c.requestId, Hex(c.data)));
  }
}

TEST(MessageCodecTest, ReadsChannel1TextsAndTheSenderStatus) {
  const Bytes hello = Tlv16(2, Hex("0501 0001 01 0101 0009 0000 0000 48656C6C6F"));
  const struct {
    Bytes tlvs;
    std::optional<std::u16string> text;
    std::optional<uint32_t> status;
  } cases[] = {
      {Cat({Tlv16(6, Hex("0000 0013")), hello}), u"Hello", 0x0013},
      {Cat({Tlv16(6, Hex("0000")), hello}), u"Hello", std::nullopt},  // too short to hold a status
      {Tlv16(2, Cat({Hex("0101 0010 0000 0000"), kPrivetUtf8})), kPrivet, std::nullopt},
      {Tlv16(2, Cat({Hex("0101 000A 0000 0000"), kPrivetCp1251})), kPrivet, std::nullopt},
      // A cut four-byte sequence decodes to one three-byte replacement: as long, but not UTF-8.
      {Tlv16(2, Hex("0101 0008 0000 0000 F1808041")), u"\u0441\u0402\u0402A", std::nullopt},
      {Tlv16(2, Hex("0701 0000 0101 0009 0002 0000 041F 0440 00")), u"\u041F\u0440", std::nullopt},
      {Tlv16(2, Hex("0501 0001 01 0101 0009 0000 0000 4865")), std::nullopt, std::nullopt},  // cut text
      {Tlv16(2, Hex("0501 0001 01")), std::nullopt, std::nullopt},
      {Tlv16(6, Hex("0000 0013")), std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto message = ParseIncomingMessage(Incoming(1, c.tlvs), 1251);
    ASSERT_EQ(message.has_value(), c.text.has_value());
    if (!message) continue;
    EXPECT_EQ(std::tie(message->text, message->senderStatus), std::tie(*c.text, c.status));
    EXPECT_EQ(std::tie(message->senderUin, message->cookie, message->messageType),
              std::make_tuple("1234", 0x0102030405060708u, 1));
  }
  EXPECT_FALSE(ParseIncomingMessage(Incoming(3, hello), 1251));
  EXPECT_FALSE(ParseIncomingMessage(Hex("0102030405060708 0001 04 313233"), 1251));
}

TEST(MessageCodecTest, Channel2MessagesAreReadAndAcknowledgedWithTheirBlocks) {
  const auto message = ParseIncomingMessage(Channel2(kPrivetUtf8, kUtf8Guid), 1252);
  ASSERT_TRUE(message && message->ack);
  EXPECT_EQ(std::tie(message->text, message->senderStatus), std::make_tuple(kPrivet, 0x0011u));
  const Bytes trailer = Cat({Hex("00000000 FFFFFF00 26000000"), Chars(kUtf8Guid)});
  const SnacPtr ack = MakeChannel2Ack(*message->ack);
  EXPECT_EQ(std::make_tuple(message->ack->trailer, ack->Subtype()), std::make_tuple(trailer, 0x0B));
  EXPECT_EQ(ack->Data(), Cat({Hex("0102030405060708 0002 04 31323334 0003 1B00"), kFirstBlock, Hex("0E00"),
                              kSecondBlock, Hex("01 00 1300 0100 0100 00"), trailer}));

  const std::pair<Bytes, std::optional<std::u16string>> cases[] = {
      {Channel2(kPrivetUtf8, "{0946134e-4c7f-11d1-8222-444553540000}"), kPrivet},
      {Channel2(kPrivetCp1251, ""), kPrivet},
      {Channel2(kPrivetCp1251, "{09461344-4C7F-11D1-8222-444553540000}"), kPrivet},
      {Channel2(Chars("hi"), kUtf8Guid, kRelay, 0, kUtf8Guid.size() + 12), u"hi"},  // no colours: code page
      {Channel2(Chars("hi"), kUtf8Guid, Hex("09461344 4C7F11D1 82224445 53540000")), std::nullopt},
      {Channel2(Chars("hi"), kUtf8Guid, kRelay, 0x5A), std::nullopt},  // plug-in request
      {Channel2(Chars("hi"), "", kRelay, 0, 13), std::nullopt},        // text cut
      {Incoming(2, Tlv16(5, Cat({Hex("0000 0102030405060708"), Bytes(kRelay.begin(), kRelay.end() - 1)}))),
       std::nullopt},
  };
  for (const auto& [data, text] : cases) {
    const auto parsed = ParseIncomingMessage(data, 1251);
    EXPECT_EQ(parsed ? std::optional(parsed->text) : std::nullopt, text);
  }
}

TEST(MessageCodecTest, Channel4MessagesAreLittleEndianInTheCodePage) {
  const auto message =
      ParseIncomingMessage(Incoming(4, Tlv16(5, Cat({Hex("4E61BC00 04 02 0700"), kPrivetCp1251, Hex("00")}))), 1251);
  ASSERT_TRUE(message);
  EXPECT_EQ(std::tie(message->text, message->messageType, message->messageFlags), std::make_tuple(kPrivet, 4, 2));
  EXPECT_FALSE(message->ack);
  // The counted user-information TLVs may hold a TLV 0x0005 (member since) of their own.
  const auto behindUserInfo = ParseIncomingMessage(
      Incoming(4, Cat({Tlv16(5, Hex("45A8C2F0")), Tlv16(5, Hex("4E61BC00 01 00 0300 686900"))})), 1251);
  EXPECT_EQ(behindUserInfo ? behindUserInfo->text : u"", u"hi");
  EXPECT_FALSE(ParseIncomingMessage(Incoming(4, Tlv16(5, Hex("4E61BC00 01 00 0700 4869"))), 1251));
  EXPECT_FALSE(ParseIncomingMessage(Incoming(4, Tlv16(6, Hex("0000 0000"))), 1251));
}

TEST(MessageCodecTest, ReadsAcksTypingAndPresenceBlocksAsFarAsTheyGo) {
  EXPECT_EQ(ParseServerAck(Hex("0102030405060708 0001")), 0x0102030405060708u);
  EXPECT_FALSE(ParseServerAck(Hex("01020304050607")));
  const auto typing = ParseTypingNotification(Hex("0000000000000000 0001 03 313233 0002"));
  ASSERT_TRUE(typing);
  EXPECT_EQ(std::tie(typing->uin, typing->state), std::make_tuple("123", 2));
  EXPECT_FALSE(ParseTypingNotification(Hex("0000000000000000 0001 03 313233 00")));

  const Bytes utf8Cap = Hex("0946134E 4C7F11D1 82224445 53540000");
  const Bytes icqCap = Hex("09461344 4C7F11D1 82224445 53540000");
  const Bytes data = Cat({Hex("03 313131 0000 0002"), Tlv16(6, Hex("0000 0013")), Tlv16(0x0D, Cat({icqCap, utf8Cap})),
                          Hex("03 323232 0000 0001"), Tlv16(0x0D, icqCap),  // no status: the caller's online
                          Hex("03 333333 0000 0001"), Tlv16(6, Hex("0000")), Hex("03 343434 0000 0002"),
                          Tlv16(6, Hex("0001 0001")), Hex("000D 0010 0946")});
  const auto blocks = ParseUserInfoBlocks(data);
  ASSERT_EQ(blocks.size(), 4u);
  const std::tuple<std::string, std::optional<uint32_t>, std::optional<bool>> expected[] = {
      {"111", 0x13, true}, {"222", std::nullopt, false}, {"333", std::nullopt, std::nullopt}, {"444", 1, std::nullopt}};
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(std::tie(blocks[i].uin, blocks[i].status, blocks[i].unicodeCapable), expected[i]) << i;
  }
}

Bytes MetaReplyData(const char* commandAndRest) {
  const Bytes body = Cat({Hex("01020304"), Hex(commandAndRest)});
  ByteWriter out;
  out.U16(1).U16(static_cast<uint16_t>(body.size() + 2)).U16Le(static_cast<uint16_t>(body.size())).Append(body);
  return out.Take();
}

void ReadInfo(const char* reply, IcqUserInfo& info) {
  ReadUserInfoPart(*ParseMetaReply(MetaReplyData(reply)), 1251, info);
}

std::optional<IcqSearchResult> Search(const char* reply) {
  return ParseSearchResult(*ParseMetaReply(MetaReplyData(reply)), 1251);
}

TEST(MetaCodecTest, OfflineRecordsCarryTheirUtcTime) {
  const Bytes data = Hex("0001 001E 1C00 01020304 4100 0200 4E61BC00 D707 01 01 0A 00 01 00 0600 48656C6C6F00");
  const auto reply = ParseMetaReply(data);
  ASSERT_TRUE(reply);
  const auto message = ParseOfflineMessage(*reply, 1251);
  ASSERT_TRUE(message);
  EXPECT_EQ(std::tie(message->recipientUin, message->senderUin, message->utc, message->text, message->messageType),
            std::make_tuple("67305985", "12345678", core::MessageTime{2007, 1, 1, 10, 0, 0}, u"Hello", 1));
  const Bytes cut(data.begin(), data.end() - 2);
  EXPECT_FALSE(ParseOfflineMessage(*ParseMetaReply(cut), 1251));
  EXPECT_EQ(ParseMetaReply(MetaReplyData("4200 0200 00"))->command, kMetaOfflineEnd);
  EXPECT_FALSE(ParseOfflineMessage(*ParseMetaReply(MetaReplyData("4200 0200 00")), 1251));
  EXPECT_FALSE(ParseMetaReply(Hex("0001 0009 0800 01020304 4100 02")));
  EXPECT_FALSE(ParseMetaReply(Hex("0002 0004 0000 0000")));
}

TEST(MetaCodecTest, InfoPartsFillTheRecordAndTruncatedRepliesStopShort) {
  IcqUserInfo info;
  ReadInfo(
      "DA07 0200 C800 0A 0500 4E69636B00 0400 416E6E00 0200 4200 0100 00 0200 4300 0100 00 0100 00 0100 00 "
      "0100 00 0100 00 0000 2C00 03 01 00 02 01",
      info);
  EXPECT_EQ(std::tie(info.nickname, info.firstName, info.lastName, info.city), std::tie(u"Nick", u"Ann", u"B", u"C"));
  EXPECT_EQ(std::tie(info.country, info.timeZone, info.authorizationRequired, info.webAware, info.directConnection,
                     info.publishEmail),
            std::make_tuple(44, 3, 1, 0, 2, 1));
  ReadInfo("DA07 0200 DC00 0A 1E00 02 0200 6800 B907 05 06 01 02 03 0000 0200 6300 0200 7300 2C00 FE", info);
  EXPECT_EQ(std::tie(info.age, info.gender, info.homepage, info.birthYear, info.birthMonth, info.birthDay),
            std::make_tuple(30, 2, u"h", 1977, 5, 6));
  EXPECT_EQ(
      std::tie(info.languages[2], info.originalCity, info.originalState, info.originalCountry, info.originalTimeZone),
      std::make_tuple(3, u"c", u"s", 44, 0xFE));
  ReadInfo("DA07 0200 E600 0A 0300 6E6E00", info);
  EXPECT_EQ(info.notes, u"nn");

  IcqUserInfo cut;
  ReadInfo("DA07 0200 C800 0A 0500 4E69636B00 0400 416E6E00 0500 4B6F", cut);
  EXPECT_EQ(std::tie(cut.nickname, cut.firstName, cut.lastName), std::tie(u"Nick", u"Ann", u""));
  IcqUserInfo failed;
  ReadInfo("DA07 0200 C800 14 0500 4E69636B00", failed);
  EXPECT_EQ(failed.nickname, u"");
}

TEST(MetaCodecTest, SearchResultsAndAgeRanges) {
  const auto result = Search("DA07 0300 A401 0A 1800 4E61BC00 0400 426F6200 0100 00 0100 00 0200 6200 01 0100 01 1900");
  ASSERT_TRUE(result);
  EXPECT_EQ(std::tie(result->uin, result->nickname, result->email, result->authorizationRequired, result->online,
                     result->gender, result->age, result->last),
            std::make_tuple(12345678u, u"Bob", u"b", 1, true, 1, 25, false));
  const auto none = Search("DA07 0300 AE01 32");
  ASSERT_TRUE(none);
  EXPECT_EQ(std::tie(none->uin, none->nickname, none->last), std::make_tuple(0u, u"", true));
  EXPECT_FALSE(Search("DA07 0300 C800 0A"));

  const std::pair<std::u16string, std::optional<std::pair<uint16_t, uint16_t>>> ranges[] = {
      {u"18-22", std::pair{18, 22}}, {u"30-39", std::pair{30, 39}}, {u"50-59", std::pair{50, 59}},
      {u"", std::nullopt},           {u"30", std::nullopt},         {u"39-30", std::nullopt},
      {u"3a-39", std::nullopt},      {u"-39", std::nullopt},        {u"1-70000", std::nullopt}};
  for (const auto& [text, range] : ranges) EXPECT_EQ(ParseAgeRange(text), range);
}

}  // namespace
}  // namespace quelt::icq
