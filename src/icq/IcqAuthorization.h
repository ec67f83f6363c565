#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quelt::icq {

// What another user's authorization commands carry. Pure over the SNAC data; a field is read
// only when all its bytes are there. A request or reply without a whole, non-empty UIN gives
// nothing.

struct AuthorizationRequestIn {  // 0x13,0x19: someone asks to add the user
  std::string uin;
  std::u16string reason;  // UTF-8 on the wire
};
[[nodiscard]] std::optional<AuthorizationRequestIn> ParseAuthorizationRequest(std::span<const uint8_t> data);

struct AuthorizationReplyIn {  // 0x13,0x1B: someone answered the user's request
  std::string uin;
  bool granted = false;  // the flag byte is 1
};
[[nodiscard]] std::optional<AuthorizationReplyIn> ParseAuthorizationReply(std::span<const uint8_t> data);

// 0x13,0x1C: someone added the user; empty when the data holds no whole UIN.
[[nodiscard]] std::string ParseYouWereAdded(std::span<const uint8_t> data);

}  // namespace quelt::icq
