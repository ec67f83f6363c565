#pragma once

#include <string>
#include <string_view>

namespace quelt::platform {

// Simple (one code unit to one code unit) Unicode case mapping of the Basic Multilingual Plane,
// standing in for the handset's user-locale conversion. Characters without a case, surrogates and
// characters whose other case lies outside the plane come back unchanged. Any thread.
[[nodiscard]] char16_t ToUpperCase(char16_t c);
[[nodiscard]] char16_t ToLowerCase(char16_t c);
// ASCII letters upper-cased, every other byte as it is: for keys, names and attribute values
// that are compared without regard to case.
[[nodiscard]] char AsciiUpper(char c);
[[nodiscard]] std::string AsciiUpper(std::string_view text);
// The two texts equal but for case, as file names are compared.
[[nodiscard]] bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b);

}  // namespace quelt::platform
