#include "core/PasswordScrambler.h"

#include "platform/HexDigit.h"
#include "platform/SecureWipe.h"
#include "platform/TextCodec.h"

namespace quelt::core {

namespace {

constexpr std::u16string_view kPrefix = u"###";
// For a password the ANSI code page cannot hold: the same scrambling over its UTF-8 bytes.
constexpr std::u16string_view kUtf8Prefix = u"#U8";

// Characters that are not hexadecimal digits are skipped; an odd last digit is dropped.
std::string DecodeHex(std::u16string_view hex) {
  std::string bytes;
  int high = -1;
  for (const char16_t c : hex) {
    const int digit = platform::HexDigitValue(c);
    if (digit < 0) continue;
    if (high < 0) {
      high = digit;
    } else {
      bytes.push_back(static_cast<char>((high << 4) | digit));
      high = -1;
    }
  }
  return bytes;
}

std::u16string DecodeScrambled(std::u16string_view hex) {
  return platform::DecodeCodePage(UnscrambleBytes(DecodeHex(hex)), platform::kAnsiCodePage).text;
}

std::u16string DecodeScrambledUtf8(std::u16string_view hex) {
  return platform::Utf8ToUtf16(UnscrambleBytes(DecodeHex(hex)));
}

bool HasPrefix(std::u16string_view value, std::u16string_view prefix) {
  return value.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string ScrambleBytes(std::string_view plain) {
  std::string scrambled;
  scrambled.reserve(plain.size());
  uint8_t key = kScrambleKeyStart;
  for (const char c : plain) {
    const auto p = static_cast<uint8_t>(c);
    scrambled.push_back(static_cast<char>(static_cast<uint8_t>(p - kScrambleOffset) ^ key));
    key = static_cast<uint8_t>(key + kScrambleKeyStep);
  }
  return scrambled;
}

std::string UnscrambleBytes(std::string_view scrambled) {
  std::string plain;
  plain.reserve(scrambled.size());
  uint8_t key = kScrambleKeyStart;
  for (const char c : scrambled) {
    const auto s = static_cast<uint8_t>(c);
    plain.push_back(static_cast<char>(static_cast<uint8_t>((s ^ key) + kScrambleOffset)));
    key = static_cast<uint8_t>(key + kScrambleKeyStep);
  }
  return plain;
}

std::u16string EncodePassword(std::u16string_view password) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  platform::EncodedText ansi = platform::EncodeCodePage(password, platform::kAnsiCodePage);
  // A password stored with '?' for what the code page lacks would fail at the next sign-in.
  const bool fits = ansi.lossless;
  const std::string scrambled = ScrambleBytes(fits ? ansi.bytes : platform::Utf16ToUtf8(password));
  platform::Wipe(ansi.bytes);
  std::u16string value(fits ? kPrefix : kUtf8Prefix);
  value.reserve(kPrefix.size() + 2 * scrambled.size());
  for (const char c : scrambled) {
    const auto byte = static_cast<uint8_t>(c);
    value.push_back(kDigits[byte >> 4]);
    value.push_back(kDigits[byte & 0x0F]);
  }
  return value;
}

std::u16string DecodeIcqPassword(std::u16string_view value) {
  if (HasPrefix(value, kUtf8Prefix)) return DecodeScrambledUtf8(value.substr(kUtf8Prefix.size()));
  if (HasPrefix(value, kPrefix)) return DecodeScrambled(value.substr(kPrefix.size()));
  return std::u16string(value);
}

std::u16string DecodeMsnPassword(std::u16string_view value) {
  if (HasPrefix(value, kUtf8Prefix)) return DecodeScrambledUtf8(value.substr(kUtf8Prefix.size()));
  if (value.size() < kPrefix.size()) return {};
  return DecodeScrambled(value.substr(kPrefix.size()));
}

}  // namespace quelt::core
