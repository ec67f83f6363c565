#include "icq/IcqMetaCodec.h"

#include <charconv>
#include <string>

#include "icq/ByteReader.h"
#include "icq/ByteWriter.h"
#include "icq/SnacRegistry.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

constexpr uint16_t kTlvMetaData = 0x0001;
constexpr uint16_t kMetaRequest = 0x07D0;
constexpr uint16_t kMetaDeleteOffline = 0x003E;
constexpr uint16_t kRequestFullInfo = 0x04B2;
constexpr uint16_t kRequestSearchByUin = 0x0569;
constexpr uint16_t kRequestSearchByData = 0x055F;
constexpr uint16_t kInfoSequence = 0x0002;
constexpr uint32_t kOfflineRequestId = 0x00020001;
constexpr size_t kEnvelopeSize = 2 + 4 + 2 + 2;  // chunk size, own UIN, command, sequence

SnacPtr Make(uint32_t requestId, std::vector<uint8_t> data) {
  const auto pair = SnacRegistry::PairOf(SnacKind::MetaRequest);
  const SnacHeader header{.family = pair->first, .subtype = pair->second, .flags = 0, .requestId = requestId};
  return std::make_shared<SnacCommand>(header, SnacKind::MetaRequest, std::move(data));
}

// TLV 0x0001 around the envelope of a meta request (command 0x07D0) and its body; nothing when
// the body does not fit the 16-bit lengths.
SnacPtr MakeMetaRequest(uint32_t ownUin, uint16_t sequence, uint16_t subtype, std::span<const uint8_t> body,
                        uint32_t requestId) {
  const size_t length = kEnvelopeSize + 2 + body.size();
  if (length > 0xFFFF) return nullptr;
  ByteWriter data;
  data.U16(kTlvMetaData).U16(static_cast<uint16_t>(length));
  data.U16Le(static_cast<uint16_t>(length - 2)).U32Le(ownUin).U16Le(kMetaRequest).U16Le(sequence).U16Le(subtype);
  data.Append(body);
  return Make(requestId, data.Take());
}

// A little-endian TLV of the search by data holding a text in the code page, zero-terminated
// behind its own length; false when the text is too long for those lengths.
bool WriteTextTlv(ByteWriter& out, uint16_t type, std::u16string_view text, uint32_t codePage) {
  if (text.empty()) return true;
  const std::string bytes = platform::EncodeCodePage(text, codePage).bytes;
  if (bytes.size() + 3 > 0xFFFF) return false;
  out.U16Le(type).U16Le(static_cast<uint16_t>(bytes.size() + 3)).U16Le(static_cast<uint16_t>(bytes.size() + 1));
  out.Append(bytes).U8(0);
  return true;
}

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// A text field: its length counts the terminating zero. The field is left alone when the reply
// does not hold all of it.
void ReadText(ByteReader& reader, uint32_t codePage, std::u16string& field) {
  auto bytes = reader.Bytes(reader.U16Le());
  if (!reader.Ok()) return;
  if (!bytes.empty() && bytes.back() == 0) bytes = bytes.first(bytes.size() - 1);
  field = platform::DecodeCodePage(AsText(bytes), codePage).text;
}

template <typename Number>
void ReadNumber(ByteReader& reader, Number& field) {
  Number value{};
  if constexpr (sizeof(Number) == 1) {
    value = reader.U8();
  } else if constexpr (sizeof(Number) == 2) {
    value = reader.U16Le();
  } else {
    value = reader.U32Le();
  }
  if (reader.Ok()) field = value;
}

void ReadBasicInfo(ByteReader& reader, uint32_t codePage, IcqUserInfo& info) {
  for (std::u16string* text : {&info.nickname, &info.firstName, &info.lastName, &info.email, &info.city, &info.state,
                               &info.phone, &info.fax, &info.street, &info.cellular, &info.zip}) {
    ReadText(reader, codePage, *text);
  }
  ReadNumber(reader, info.country);
  for (uint8_t* byte :
       {&info.timeZone, &info.authorizationRequired, &info.webAware, &info.directConnection, &info.publishEmail}) {
    ReadNumber(reader, *byte);
  }
}

void ReadMoreInfo(ByteReader& reader, uint32_t codePage, IcqUserInfo& info) {
  ReadNumber(reader, info.age);
  ReadNumber(reader, info.gender);
  ReadText(reader, codePage, info.homepage);
  ReadNumber(reader, info.birthYear);
  ReadNumber(reader, info.birthMonth);
  ReadNumber(reader, info.birthDay);
  for (uint8_t& language : info.languages) ReadNumber(reader, language);
  reader.Skip(2);
  ReadText(reader, codePage, info.originalCity);
  ReadText(reader, codePage, info.originalState);
  ReadNumber(reader, info.originalCountry);
  ReadNumber(reader, info.originalTimeZone);
}

}  // namespace

// The reply's TLV chain usually holds TLV 0x0001 alone. A value cut short by the end of the data
// is read as far as it goes.
std::optional<MetaReply> ParseMetaReply(std::span<const uint8_t> snacData) {
  ByteReader chain(snacData);
  std::span<const uint8_t> value;
  bool found = false;
  while (!found && chain.Remaining() >= 4) {
    const uint16_t type = chain.U16();
    const uint16_t length = chain.U16();
    found = type == kTlvMetaData;
    value = chain.Bytes(std::min<size_t>(length, chain.Remaining()));
  }
  if (!found) return std::nullopt;

  ByteReader reader(value);
  MetaReply reply;
  reader.U16Le();  // chunk size: the TLV already bounds the envelope
  reply.ownUin = reader.U32Le();
  reply.command = reader.U16Le();
  reply.sequence = reader.U16Le();
  if (!reader.Ok()) return std::nullopt;
  if (reply.command == kMetaReply) {
    reply.subtype = reader.U16Le();
    reply.success = reader.U8() == kMetaSuccess && reader.Ok();
  }
  reply.payload = reader.Rest();
  return reply;
}

// A record without its whole text is dropped: the server keeps it until it is deleted.
std::optional<OfflineMessage> ParseOfflineMessage(const MetaReply& reply, uint32_t codePage) {
  if (reply.command != kMetaOfflineMessage) return std::nullopt;
  ByteReader reader(reply.payload);
  OfflineMessage message;
  message.recipientUin = std::to_string(reply.ownUin);
  message.senderUin = std::to_string(reader.U32Le());
  message.utc.year = reader.U16Le();
  message.utc.month = reader.U8();
  message.utc.day = reader.U8();
  message.utc.hour = reader.U8();
  message.utc.minute = reader.U8();
  message.messageType = reader.U8();
  message.messageFlags = reader.U8();
  auto text = reader.Bytes(reader.U16Le());
  if (!reader.Ok()) return std::nullopt;
  if (!text.empty() && text.back() == 0) text = text.first(text.size() - 1);
  message.text = platform::DecodeCodePage(AsText(text), codePage).text;
  return message;
}

void ReadUserInfoPart(const MetaReply& reply, uint32_t codePage, IcqUserInfo& info) {
  if (reply.command != kMetaReply || !reply.success) return;
  ByteReader reader(reply.payload);
  switch (reply.subtype) {
    case kMetaBasicInfo: ReadBasicInfo(reader, codePage, info); break;
    case kMetaMoreInfo: ReadMoreInfo(reader, codePage, info); break;
    case kMetaNotes: ReadText(reader, codePage, info.notes); break;
    default: break;
  }
}

std::optional<IcqSearchResult> ParseSearchResult(const MetaReply& reply, uint32_t codePage) {
  if (reply.command != kMetaReply || (reply.subtype != kMetaSearchResult && reply.subtype != kMetaLastSearchResult)) {
    return std::nullopt;
  }
  IcqSearchResult result;
  result.last = reply.subtype == kMetaLastSearchResult;
  if (!reply.success) return result;
  ByteReader reader(reply.payload);
  reader.U16Le();  // record length
  ReadNumber(reader, result.uin);
  for (std::u16string* text : {&result.nickname, &result.firstName, &result.lastName, &result.email}) {
    ReadText(reader, codePage, *text);
  }
  ReadNumber(reader, result.authorizationRequired);
  uint16_t status = 0;
  ReadNumber(reader, status);
  result.online = status == 1;
  ReadNumber(reader, result.gender);
  ReadNumber(reader, result.age);
  return result;
}

std::optional<std::pair<uint16_t, uint16_t>> ParseAgeRange(std::u16string_view text) {
  const auto number = [](std::u16string_view digits) -> std::optional<uint16_t> {
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    uint32_t value = 0;
    for (char16_t c : digits) {
      if (c < u'0' || c > u'9') return std::nullopt;
      value = value * 10 + static_cast<uint32_t>(c - u'0');
    }
    if (value > 0xFFFF) return std::nullopt;
    return static_cast<uint16_t>(value);
  };
  const size_t dash = text.find(u'-');
  if (dash == std::u16string_view::npos) return std::nullopt;
  const auto minimum = number(text.substr(0, dash));
  const auto maximum = number(text.substr(dash + 1));
  if (!minimum || !maximum || *minimum > *maximum) return std::nullopt;
  return std::pair{*minimum, *maximum};
}

SnacPtr MakeUserInfoRequest(uint32_t ownUin, uint32_t targetUin, uint32_t requestId) {
  ByteWriter body;
  body.U32Le(targetUin);
  return MakeMetaRequest(ownUin, kInfoSequence, kRequestFullInfo, body.Bytes(), requestId);
}

SnacPtr MakeSearchByUin(uint32_t ownUin, uint32_t targetUin, uint32_t requestId, uint16_t sequence) {
  ByteWriter body;
  body.U16Le(0x0136).U16Le(4).U32Le(targetUin);
  return MakeMetaRequest(ownUin, sequence, kRequestSearchByUin, body.Bytes(), requestId);
}

SnacPtr MakeSearchByData(uint32_t ownUin, const IcqSearchQuery& query, uint32_t requestId, uint16_t sequence,
                         uint32_t codePage) {
  ByteWriter body;
  bool fits = WriteTextTlv(body, 0x0190, query.city, codePage);
  if (query.minimumAge != 0 || query.maximumAge != 0) {
    body.U16Le(0x0168).U16Le(4).U16Le(query.minimumAge).U16Le(query.maximumAge);
  }
  if (query.gender != 0) body.U16Le(0x017C).U16Le(1).U8(query.gender);
  fits = WriteTextTlv(body, 0x0140, query.firstName, codePage) && fits;
  fits = WriteTextTlv(body, 0x014A, query.lastName, codePage) && fits;
  fits = WriteTextTlv(body, 0x0154, query.nickname, codePage) && fits;
  fits = WriteTextTlv(body, 0x015E, query.email, codePage) && fits;
  if (!fits) return nullptr;
  return MakeMetaRequest(ownUin, sequence, kRequestSearchByData, body.Bytes(), requestId);
}

// The delete request belongs to the offline-message exchange and carries its request id.
SnacPtr MakeDeleteOfflineMessages(uint32_t ownUin) {
  ByteWriter data;
  data.U16(kTlvMetaData).U16(kEnvelopeSize);
  data.U16Le(kEnvelopeSize - 2).U32Le(ownUin).U16Le(kMetaDeleteOffline).U16Le(0x0000);
  data.U16(0x0000);
  return Make(kOfflineRequestId, data.Take());
}

uint32_t NumericUin(std::string_view uin) {
  uint32_t value = 0;
  std::from_chars(uin.data(), uin.data() + uin.size(), value);
  return value;
}

}  // namespace quelt::icq
