#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "msn/MsnCommand.h"

namespace quelt::msn {

// What a switchboard MSG carries, as far as the messenger reads it.
struct MsnPayload {
  enum class Kind { Ignored, Typing, Text };
  Kind kind = Kind::Ignored;
  std::u16string text;  // of a text message
  bool operator==(const MsnPayload&) const = default;
};

// A typing notice names the control content type in its headers; a text message names plain
// text there and ends them with a blank line, after which its UTF-8 text starts. Anything else
// is ignored.
[[nodiscard]] MsnPayload ReadMsnPayload(std::span<const uint8_t> payload);

// "MSG id <ack> <length>" with the plain-text headers and the text as UTF-8.
[[nodiscard]] MsnCommandPtr TextMessage(int transactionId, char ack, std::u16string_view text);
// "MSG id U <length>": the user is typing; `account` is the 8-bit sign-in name.
[[nodiscard]] MsnCommandPtr TypingMessage(int transactionId, std::string_view account);

}  // namespace quelt::msn
