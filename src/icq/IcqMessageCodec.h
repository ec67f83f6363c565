#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "icq/SnacCommand.h"

namespace quelt::icq {

// How an outgoing text is sent, decided in this order: plain ASCII; to an offline contact, or one
// that did not announce Unicode, the contact's code page when the text converts without loss
// (else refused); with Unicode announced and preferred, UTF-16BE; else the code page when
// lossless, else UTF-16BE.
enum class TextEncoding { Ascii, CodePage, Unicode, Refused };

struct EncodedText {
  TextEncoding encoding = TextEncoding::Refused;
  uint16_t codePage = 0;       // the Windows code page of CodePage text; 0 for ASCII and Unicode
  std::vector<uint8_t> bytes;  // the text as it goes on the wire
};

// `codePage`: the contact's ANSI code page, or CODE_PAGE when the contact has none (-1).
[[nodiscard]] EncodedText ChooseEncoding(std::u16string_view text, bool contactOffline, bool contactUnicode,
                                         bool preferUnicode, uint32_t codePage);

// 0x04,0x06 on channel 1: cookie, UIN, TLV 0x0002 with the text fragments, and the empty TLV
// 0x0006 when the server is to store the message for an offline recipient. The serialized data
// buffer is wiped once copied into the command. Nothing for refused text or text too long for
// the TLV's 16-bit length.
[[nodiscard]] SnacPtr MakeSendMessage(uint64_t cookie, std::string_view uin, const EncodedText& text,
                                      bool storeOffline);
// 0x04,0x14: the user's typing state (2 typing, 1 stopped).
[[nodiscard]] SnacPtr MakeTypingNotification(std::string_view uin, uint16_t state);

// What a channel-2 message needs for its immediate acknowledgement (0x04,0x0B).
struct Channel2Ack {
  uint64_t cookie = 0;
  std::string uin;
  std::vector<uint8_t> firstBlock;  // the two length-prefixed blocks of TLV 0x2711, as received
  std::vector<uint8_t> secondBlock;
  uint8_t messageType = 0;
  uint8_t messageFlags = 0;
  uint16_t status = 0;
  uint16_t priority = 0;
  std::vector<uint8_t> trailer;  // the extension data after the text, as received
};
[[nodiscard]] SnacPtr MakeChannel2Ack(const Channel2Ack& ack);

// A message from (0x04,0x07), on channel 1, 2 or 4. Nothing for other channels, a malformed
// channel-2 message (short TLV 0x0005, another capability, plug-in data), data too short for
// the header, an empty sender UIN, or a text that is not wholly there.
struct IncomingMessage {
  uint64_t cookie = 0;
  uint16_t channel = 0;
  std::string senderUin;
  std::optional<uint32_t> senderStatus;  // bytes 2-3 of TLV 0x0006 when all there
  uint8_t messageType = 1;
  uint8_t messageFlags = 0;
  std::u16string text;
  std::optional<Channel2Ack> ack;  // channel 2 only
};
[[nodiscard]] std::optional<IncomingMessage> ParseIncomingMessage(std::span<const uint8_t> data, uint32_t codePage);

// Channel-1 code-page text: UTF-8 when the bytes are valid UTF-8 that re-encodes to as many
// bytes, else the code page.
[[nodiscard]] std::u16string DecodeChannel1Text(std::span<const uint8_t> bytes, uint32_t codePage);

// 0x04,0x0C: the cookie of the message the server acknowledges.
[[nodiscard]] std::optional<uint64_t> ParseServerAck(std::span<const uint8_t> data);

// 0x04,0x14 received.
struct TypingNotice {
  std::string uin;
  uint16_t state = 0;
};
[[nodiscard]] std::optional<TypingNotice> ParseTypingNotification(std::span<const uint8_t> data);

// The user-information blocks of presence commands (0x03,0x0B / 0x03,0x0C) and own info
// (0x01,0x0F): UIN, the status word when TLV 0x0006 holds it, and whether the capabilities
// (TLV 0x000D, when present) include the UTF-8 entry.
struct UserInfoBlock {
  std::string uin;
  std::optional<uint32_t> status;
  std::optional<bool> unicodeCapable;
};
[[nodiscard]] std::vector<UserInfoBlock> ParseUserInfoBlocks(std::span<const uint8_t> data);

}  // namespace quelt::icq
