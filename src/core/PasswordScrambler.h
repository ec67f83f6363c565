#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelt::core {

// How the two account passwords are kept in "Messenger.config": the password's bytes in the ANSI
// code page (or in UTF-8 when that cannot hold it), each byte shifted by an offset and XORed with
// a running key, written as "###" (or "#U8") and upper-case hexadecimal. This only keeps a
// password from being read at a glance; it is no protection. The constants are part of the
// stored format and must never change.
inline constexpr uint8_t kScrambleKeyStart = 0xB3;
inline constexpr uint8_t kScrambleKeyStep = 0x2F;
inline constexpr uint8_t kScrambleOffset = 0x4C;

// The value written for a password: "###" followed by two hexadecimal digits per byte. A
// password with characters the ANSI code page cannot hold is scrambled as UTF-8 instead and
// written behind "#U8", so that it reads back as it was typed.
[[nodiscard]] std::u16string EncodePassword(std::u16string_view password);

// The ICQ password from its stored value: scrambled when the value starts with "###" (or "#U8"),
// else the value itself (a password typed into the file by hand).
[[nodiscard]] std::u16string DecodeIcqPassword(std::u16string_view value);

// The MSN password from its stored value: scrambled UTF-8 behind "#U8"; otherwise the first three
// characters are skipped whatever they are, and the rest is always taken as scrambled hexadecimal.
[[nodiscard]] std::u16string DecodeMsnPassword(std::u16string_view value);

// The byte-level transformation and its inverse.
[[nodiscard]] std::string ScrambleBytes(std::string_view plain);
[[nodiscard]] std::string UnscrambleBytes(std::string_view scrambled);

}  // namespace quelt::core
