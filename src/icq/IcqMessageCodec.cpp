#include "icq/IcqMessageCodec.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "icq/ByteReader.h"
#include "icq/ByteWriter.h"
#include "icq/SnacRegistry.h"
#include "icq/Tlv.h"
#include "platform/SecureWipe.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

constexpr uint16_t kChannelPlain = 0x0001;
constexpr uint16_t kChannelAdvanced = 0x0002;
constexpr uint16_t kChannelIcq = 0x0004;
constexpr uint16_t kTlvMessageData = 0x0002;
constexpr uint16_t kTlvChannelData = 0x0005;
constexpr uint16_t kTlvStatus = 0x0006;
constexpr uint16_t kTlvStoreOffline = 0x0006;
constexpr uint16_t kTlvCapabilities = 0x000D;
constexpr uint16_t kTlvExtensionData = 0x2711;
constexpr uint8_t kFragmentText = 0x01;
constexpr uint16_t kCharsetUnicode = 0x0002;
constexpr uint16_t kAckReasonChannel2 = 0x0003;
constexpr size_t kCapabilitySize = 16;
constexpr size_t kRendezvousHeaderSize = 26;  // message type, cookie, capability
constexpr size_t kPluginOffset = 4;

using Capability = std::array<uint8_t, kCapabilitySize>;
constexpr Capability kServerRelayCapability{0x09, 0x46, 0x13, 0x49, 0x4C, 0x7F, 0x11, 0xD1,
                                            0x82, 0x22, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
constexpr Capability kUtf8Capability{0x09, 0x46, 0x13, 0x4E, 0x4C, 0x7F, 0x11, 0xD1,
                                     0x82, 0x22, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
constexpr std::string_view kUtf8CapabilityText = "{0946134E-4C7F-11D1-8222-444553540000}";

// Message commands use their own subtype as request id, like the start-up commands.
SnacPtr Make(SnacKind kind, std::vector<uint8_t> data) {
  const auto pair = SnacRegistry::PairOf(kind);
  const SnacHeader header{.family = pair->first, .subtype = pair->second, .flags = 0, .requestId = pair->second};
  return std::make_shared<SnacCommand>(header, kind, std::move(data));
}

// A UIN with its one-byte length; longer ones cannot be sent and are cut.
void WriteUin(ByteWriter& out, std::string_view uin) {
  const std::string_view fitted = uin.substr(0, std::min<size_t>(uin.size(), 0xFF));
  out.U8(static_cast<uint8_t>(fitted.size())).Append(fitted);
}

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string ReadUin(ByteReader& reader) {
  const auto uin = reader.Bytes(reader.U8());
  return reader.Ok() ? std::string(AsText(uin)) : std::string();
}

std::u16string DecodeUtf16Be(std::span<const uint8_t> bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
  return text;
}

std::u16string DecodeCodePageText(std::span<const uint8_t> bytes, uint32_t codePage) {
  return platform::DecodeCodePage(AsText(bytes), codePage).text;
}

// A text whose length counts a terminating zero; the zero is not part of the text.
std::span<const uint8_t> WithoutTerminator(std::span<const uint8_t> bytes) {
  return !bytes.empty() && bytes.back() == 0 ? bytes.first(bytes.size() - 1) : bytes;
}

std::optional<uint32_t> StatusOf(const TlvChain& tlvs) {
  const Tlv* status = tlvs.Find(kTlvStatus);
  if (status == nullptr || status->value.size() < 4) return std::nullopt;
  return static_cast<uint32_t>(status->value[2] << 8 | status->value[3]);
}

// The fragments of TLV 0x0002; the first text fragment gives the text.
std::optional<std::u16string> ReadChannel1(const Tlv* data, uint32_t codePage) {
  if (data == nullptr) return std::nullopt;
  ByteReader reader(data->value);
  while (reader.Remaining() > 0) {
    const uint8_t id = reader.U8();
    reader.U8();  // version
    const auto value = reader.Bytes(reader.U16());
    if (!reader.Ok()) return std::nullopt;
    if (id != kFragmentText) continue;
    ByteReader fragment(value);
    const uint16_t charset = fragment.U16();
    fragment.U16();  // subset
    if (!fragment.Ok()) return std::nullopt;
    if (charset == kCharsetUnicode) return DecodeUtf16Be(fragment.Rest());
    return DecodeChannel1Text(fragment.Rest(), codePage);
  }
  return std::nullopt;
}

bool IsUtf8CapabilityText(std::span<const uint8_t> bytes) {
  const std::string_view text = AsText(WithoutTerminator(bytes));
  return std::equal(text.begin(), text.end(), kUtf8CapabilityText.begin(), kUtf8CapabilityText.end(),
                    [](char a, char b) { return std::toupper(static_cast<unsigned char>(a)) == b; });
}

// TLV 0x2711 of a plain (non-plug-in) message sent through the server relay.
bool ReadChannel2(const Tlv* rendezvous, uint32_t codePage, IncomingMessage& message, Channel2Ack& ack) {
  if (rendezvous == nullptr || rendezvous->value.size() < kRendezvousHeaderSize ||
      !std::equal(kServerRelayCapability.begin(), kServerRelayCapability.end(), rendezvous->value.begin() + 10)) {
    return false;
  }
  const TlvChain inner = TlvChain::Read(std::span(rendezvous->value).subspan(kRendezvousHeaderSize));
  const Tlv* extension = inner.Find(kTlvExtensionData);
  if (extension == nullptr || extension->value.size() < kPluginOffset + kCapabilitySize) return false;
  const auto plugin = std::span(extension->value).subspan(kPluginOffset, kCapabilitySize);
  if (std::any_of(plugin.begin(), plugin.end(), [](uint8_t byte) { return byte != 0; })) return false;

  ByteReader reader(extension->value);
  const auto first = reader.Bytes(reader.U16Le());
  const auto second = reader.Bytes(reader.U16Le());
  ack.messageType = reader.U8();
  ack.messageFlags = reader.U8();
  ack.status = reader.U16Le();
  ack.priority = reader.U16Le();
  const auto text = WithoutTerminator(reader.Bytes(reader.U16Le()));
  if (!reader.Ok()) return false;
  ack.firstBlock.assign(first.begin(), first.end());
  ack.secondBlock.assign(second.begin(), second.end());
  ack.trailer.assign(reader.Rest().begin(), reader.Rest().end());

  reader.Skip(8);  // foreground and background colours
  const auto capability = reader.Bytes(reader.U32Le());
  const bool utf8 = reader.Ok() && IsUtf8CapabilityText(capability);
  message.text = utf8 ? platform::Utf8ToUtf16(AsText(text)) : DecodeCodePageText(text, codePage);
  message.messageType = ack.messageType;
  message.messageFlags = ack.messageFlags;
  return true;
}

bool ReadChannel4(const Tlv* data, uint32_t codePage, IncomingMessage& message) {
  if (data == nullptr) return false;
  ByteReader reader(data->value);
  reader.U32Le();  // the sender's UIN again
  const uint8_t type = reader.U8();
  const uint8_t flags = reader.U8();
  const auto text = WithoutTerminator(reader.Bytes(reader.U16Le()));
  if (!reader.Ok()) return false;
  message.messageType = type;
  message.messageFlags = flags;
  message.text = DecodeCodePageText(text, codePage);
  return true;
}

}  // namespace

EncodedText ChooseEncoding(std::u16string_view text, bool contactOffline, bool contactUnicode, bool preferUnicode,
                           uint32_t codePage) {
  if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c <= 0x7F; })) {
    return {.encoding = TextEncoding::Ascii, .codePage = 0, .bytes = std::vector<uint8_t>(text.begin(), text.end())};
  }
  const auto inCodePage = [&]() -> std::optional<EncodedText> {
    const platform::EncodedText encoded = platform::EncodeCodePage(text, codePage);
    if (!encoded.lossless) return std::nullopt;
    return EncodedText{.encoding = TextEncoding::CodePage,
                       .codePage = static_cast<uint16_t>(codePage),
                       .bytes = std::vector<uint8_t>(encoded.bytes.begin(), encoded.bytes.end())};
  };
  const auto asUnicode = [&] {
    EncodedText encoded{.encoding = TextEncoding::Unicode, .codePage = 0, .bytes = {}};
    encoded.bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
      encoded.bytes.push_back(static_cast<uint8_t>(c >> 8));
      encoded.bytes.push_back(static_cast<uint8_t>(c));
    }
    return encoded;
  };
  if (contactOffline || !contactUnicode) return inCodePage().value_or(EncodedText{});
  if (preferUnicode) return asUnicode();
  if (auto encoded = inCodePage()) return std::move(*encoded);
  return asUnicode();
}

SnacPtr MakeSendMessage(uint64_t cookie, std::string_view uin, const EncodedText& text, bool storeOffline) {
  const bool unicode = text.encoding == TextEncoding::Unicode;
  const size_t textLength = text.bytes.size();
  const size_t tlvLength = textLength + (unicode ? 14 : 13);
  if (text.encoding == TextEncoding::Refused || tlvLength > 0xFFFF) return nullptr;

  ByteWriter data;
  data.Reserve(8 + 2 + 1 + 0xFF + 4 + tlvLength + 4);  // growing would leave copies of the text behind
  data.U64(cookie).U16(kChannelPlain);
  WriteUin(data, uin);
  data.U16(kTlvMessageData).U16(static_cast<uint16_t>(tlvLength));
  if (unicode) {
    data.U8(0x05).U8(0x01).U16(0x0002).U8(0x01).U8(0x06);
  } else {
    data.U8(0x05).U8(0x01).U16(0x0001).U8(0x01);
  }
  data.U8(kFragmentText).U8(0x01).U16(static_cast<uint16_t>(textLength + 4));
  data.U16(unicode ? kCharsetUnicode : 0x0000).U16(0x0000).Append(text.bytes);
  if (storeOffline) data.U16(kTlvStoreOffline).U16(0);

  std::vector<uint8_t> serialized = data.Take();
  SnacPtr snac = Make(SnacKind::SendMessage, serialized);
  platform::Wipe(serialized);
  return snac;
}

SnacPtr MakeTypingNotification(std::string_view uin, uint16_t state) {
  ByteWriter data;
  data.U64(0).U16(kChannelPlain);
  WriteUin(data, uin);
  data.U16(state);
  return Make(SnacKind::TypingNotification, data.Take());
}

SnacPtr MakeChannel2Ack(const Channel2Ack& ack) {
  ByteWriter data;
  data.U64(ack.cookie).U16(kChannelAdvanced);
  WriteUin(data, ack.uin);
  data.U16(kAckReasonChannel2);
  data.U16Le(static_cast<uint16_t>(ack.firstBlock.size())).Append(ack.firstBlock);
  data.U16Le(static_cast<uint16_t>(ack.secondBlock.size())).Append(ack.secondBlock);
  data.U8(ack.messageType).U8(ack.messageFlags).U16Le(ack.status).U16Le(ack.priority);
  data.U16Le(0x0001).U8(0);  // an empty text
  data.Append(ack.trailer);
  return Make(SnacKind::MessageAck, data.Take());
}

// A message without a sender, or whose text is not wholly there, is dropped rather than shown
// cut or attached to nobody.
std::optional<IncomingMessage> ParseIncomingMessage(std::span<const uint8_t> data, uint32_t codePage) {
  ByteReader reader(data);
  IncomingMessage message;
  message.cookie = reader.U64();
  message.channel = reader.U16();
  message.senderUin = ReadUin(reader);
  reader.U16();  // warning level
  const uint16_t userInfoCount = reader.U16();
  if (!reader.Ok() || message.senderUin.empty()) return std::nullopt;
  // The chain runs to the end of the data whatever the count says. The channel's own TLV is looked
  // for behind the counted user-information TLVs first, because those may hold a TLV of the same
  // type (0x0005, member since).
  const TlvChain tlvs = TlvChain::Read(reader.Rest());
  const auto channelTlv = [&](uint16_t type) {
    const auto& items = tlvs.Items();
    for (size_t i = userInfoCount; i < items.size(); ++i) {
      if (items[i].type == type) return &items[i];
    }
    return tlvs.Find(type);
  };
  message.senderStatus = StatusOf(tlvs);

  switch (message.channel) {
    case kChannelPlain: {
      auto text = ReadChannel1(channelTlv(kTlvMessageData), codePage);
      if (!text) return std::nullopt;
      message.text = std::move(*text);
      return message;
    }
    case kChannelAdvanced: {
      Channel2Ack ack{.cookie = message.cookie, .uin = message.senderUin};
      if (!ReadChannel2(channelTlv(kTlvChannelData), codePage, message, ack)) return std::nullopt;
      message.ack = std::move(ack);
      return message;
    }
    case kChannelIcq:
      if (!ReadChannel4(channelTlv(kTlvChannelData), codePage, message)) return std::nullopt;
      return message;
    default: return std::nullopt;
  }
}

// Re-encoding catches bytes that merely look like UTF-8 to a lenient decoder.
std::u16string DecodeChannel1Text(std::span<const uint8_t> bytes, uint32_t codePage) {
  platform::DecodedText utf8 = platform::DecodeUtf8(AsText(bytes));
  if (utf8.lossless && platform::Utf16ToUtf8(utf8.text).size() == bytes.size()) return std::move(utf8.text);
  return DecodeCodePageText(bytes, codePage);
}

std::optional<uint64_t> ParseServerAck(std::span<const uint8_t> data) {
  ByteReader reader(data);
  const uint64_t cookie = reader.U64();
  if (!reader.Ok()) return std::nullopt;
  return cookie;
}

std::optional<TypingNotice> ParseTypingNotification(std::span<const uint8_t> data) {
  ByteReader reader(data);
  reader.Skip(8 + 2);  // cookie, channel
  TypingNotice notice;
  notice.uin = ReadUin(reader);
  notice.state = reader.U16();
  if (!reader.Ok() || notice.uin.empty()) return std::nullopt;
  return notice;
}

// A block whose TLVs are cut short still names its user with what was read; the blocks after it
// cannot be found.
std::vector<UserInfoBlock> ParseUserInfoBlocks(std::span<const uint8_t> data) {
  std::vector<UserInfoBlock> blocks;
  ByteReader reader(data);
  while (reader.Remaining() > 0) {
    UserInfoBlock block;
    block.uin = ReadUin(reader);
    reader.U16();  // warning level
    const uint16_t count = reader.U16();
    if (!reader.Ok()) break;
    TlvChain tlvs;
    bool whole = true;
    for (uint16_t i = 0; i < count && whole; ++i) {
      auto tlv = reader.ReadTlv();
      whole = tlv.has_value();
      if (whole) tlvs.Add(std::move(*tlv));
    }
    block.status = StatusOf(tlvs);
    if (const Tlv* capabilities = tlvs.Find(kTlvCapabilities)) {
      bool unicode = false;
      for (size_t at = 0; at + kCapabilitySize <= capabilities->value.size(); at += kCapabilitySize) {
        unicode = unicode || std::equal(kUtf8Capability.begin(), kUtf8Capability.end(),
                                        capabilities->value.begin() + static_cast<long>(at));
      }
      block.unicodeCapable = unicode;
    }
    blocks.push_back(std::move(block));
    if (!whole) break;
  }
  return blocks;
}

}  // namespace quelt::icq
