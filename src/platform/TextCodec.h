#pragma once

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quelt::platform {

// Code page numbers as the settings and the protocols give them. 0 stands for the system ANSI
// code page, which is Windows-1252 here.
inline constexpr uint32_t kAnsiCodePage = 0;
inline constexpr uint32_t kUtf8CodePage = 65001;
inline constexpr uint32_t kUtf16LeCodePage = 1200;
inline constexpr uint32_t kUtf16BeCodePage = 1201;

struct EncodedText {
  std::string bytes;
  bool lossless = true;  // false when a character had no equivalent and was replaced by '?'
};

struct DecodedText {
  std::u16string text;
  bool lossless = true;  // false when invalid input was replaced by U+FFFD
};

// UTF-8 <-> UTF-16. Invalid UTF-8 becomes U+FFFD; unpaired surrogates become U+FFFD.
[[nodiscard]] std::u16string Utf8ToUtf16(std::string_view utf8);
[[nodiscard]] DecodedText DecodeUtf8(std::string_view utf8);
[[nodiscard]] std::string Utf16ToUtf8(std::u16string_view text);

// 8-bit code pages through iconv ("CP<n>", with the usual aliases for UTF-8, UTF-16, KOI8 and
// ISO-8859). An unknown code page gives an empty, lossy result.
[[nodiscard]] EncodedText EncodeCodePage(std::u16string_view text, uint32_t codePage);
[[nodiscard]] DecodedText DecodeCodePage(std::string_view bytes, uint32_t codePage);
[[nodiscard]] bool IsCodePageKnown(uint32_t codePage);

// Shorthands for the ASCII texts that protocols and files are full of.
[[nodiscard]] std::u16string AsciiToUtf16(std::string_view ascii);

// A number written in decimal and nothing else (a leading '-' for signed types, no '+', no
// spaces); nothing when the text is empty, holds anything more, or the value does not fit.
template <class Number>
[[nodiscard]] std::optional<Number> ParseDecimal(std::u16string_view text) {
  std::string ascii;
  for (const char16_t c : text) {
    if (c > 0x7F) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  Number value{};
  const auto [end, error] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), value);
  if (ascii.empty() || error != std::errc() || end != ascii.data() + ascii.size()) return std::nullopt;
  return value;
}

}  // namespace quelt::platform
