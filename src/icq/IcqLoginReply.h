#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "icq/Tlv.h"

namespace quelt::icq {

// The TLV that carries the cookie, from the login server's redirect to the BOS server's hello.
inline constexpr uint16_t kTlvCookie = 0x0006;

// Where the account's session waits, and the cookie that opens it.
struct IcqRedirect {
  std::string host;
  std::string port;
  std::vector<uint8_t> cookie;
};

// Why the sign-in was refused; 0 when the server gave no code.
struct IcqRefusal {
  uint16_t code = 0;
};

using IcqLoginReply = std::variant<IcqRedirect, IcqRefusal>;

// What a login server's last frame (channel 4) says, from its TLVs: a redirect when it holds both
// the BOS address (split at its last ":", port 5190 when there is none) and the cookie, else a
// refusal with the code of TLV 0x0009, else of TLV 0x0008.
[[nodiscard]] IcqLoginReply ReadLoginReply(const TlvChain& tlvs);

}  // namespace quelt::icq
