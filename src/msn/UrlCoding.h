#pragma once

#include <string>
#include <string_view>

namespace quelt::msn {

// Percent-encoding as the messenger and Passport servers expect it: every byte except 0-9, A-Z,
// a-z, '.', '-', '_' and '@' becomes '%' and two lower-case hexadecimal digits.
[[nodiscard]] std::string UrlEncode(std::string_view bytes);

// Turns every "%xx" (either case) back into its byte; a '%' not followed by two hexadecimal
// digits is kept as it is.
[[nodiscard]] std::string UrlDecode(std::string_view text);

}  // namespace quelt::msn
