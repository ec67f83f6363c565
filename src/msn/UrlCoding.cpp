#include "msn/UrlCoding.h"

#include <cstdint>

#include "platform/HexDigit.h"

namespace quelt::msn {
namespace {

bool IsKept(uint8_t byte) {
  return (byte >= '0' && byte <= '9') || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || byte == '.' ||
         byte == '-' || byte == '_' || byte == '@';
}

}  // namespace

std::string UrlEncode(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<uint8_t>(c);
    if (IsKept(byte)) {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kDigits[byte >> 4]);
      out.push_back(kDigits[byte & 0x0F]);
    }
  }
  return out;
}

std::string UrlDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() &&
        platform::HexDigitValue(static_cast<unsigned char>(text[i + 1])) >= 0 &&
        platform::HexDigitValue(static_cast<unsigned char>(text[i + 2])) >= 0) {
      out.push_back(static_cast<char>(platform::HexDigitValue(static_cast<unsigned char>(text[i + 1])) * 16 +
                                      platform::HexDigitValue(static_cast<unsigned char>(text[i + 2]))));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

}  // namespace quelt::msn
