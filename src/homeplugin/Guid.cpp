#include <cstdio>

#include "homeplugin/HomeInterfaces.h"
#include "platform/HexDigit.h"

namespace quelt::home {

std::string GuidText(const Guid& guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.data1, guid.data2,
                guid.data3, guid.data4[0], guid.data4[1], guid.data4[2], guid.data4[3], guid.data4[4], guid.data4[5],
                guid.data4[6], guid.data4[7]);
  return text;
}

std::optional<Guid> ParseGuid(std::string_view text) {
  constexpr std::string_view kShape = "{00000000-0000-0000-0000-000000000000}";
  if (text.size() != kShape.size()) return std::nullopt;
  uint8_t bytes[16] = {};
  size_t nibble = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (kShape[i] != '0') {
      if (text[i] != kShape[i]) return std::nullopt;
      continue;
    }
    const int value = platform::HexDigitValue(text[i]);
    if (value < 0) return std::nullopt;
    bytes[nibble / 2] = static_cast<uint8_t>(bytes[nibble / 2] << 4 | value);
    ++nibble;
  }
  Guid guid;
  guid.data1 = static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
               static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
  guid.data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
  guid.data3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
  for (size_t i = 0; i < 8; ++i) guid.data4[i] = bytes[8 + i];
  return guid;
}

}  // namespace quelt::home
