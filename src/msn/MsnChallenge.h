#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quelt::msn {

// The product identifier that goes with the key the challenge answer is made from.
inline constexpr std::string_view kMsnProductId = "msmsgs@msnmsgr.com";

// The answer to "CHL 0 <challenge>": MD5 of the challenge followed by the product key, as 32
// lower-case hexadecimal digits. Nothing when the digest cannot be computed.
[[nodiscard]] std::optional<std::string> ChallengeAnswer(std::string_view challenge);

}  // namespace quelt::msn
