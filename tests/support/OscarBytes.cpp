#include "support/OscarBytes.h"

#include <array>

namespace quelt::test::oscar {

std::string U16(uint16_t value) { return {char(value >> 8), char(value)}; }
std::string U32(uint32_t value) { return U16(uint16_t(value >> 16)) + U16(uint16_t(value)); }
std::string U16Le(uint16_t value) { return {char(value), char(value >> 8)}; }
std::string U32Le(uint32_t value) { return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)}; }

uint16_t Get16(std::string_view bytes, size_t at) { return uint16_t(uint8_t(bytes[at]) << 8 | uint8_t(bytes[at + 1])); }
uint32_t Get32(std::string_view bytes, size_t at) { return uint32_t(Get16(bytes, at)) << 16 | Get16(bytes, at + 2); }

std::string Flap(uint8_t channel, uint16_t sequence, std::string_view payload) {
  return std::string{'\x2A', char(channel)} + U16(sequence) + U16(uint16_t(payload.size())) + std::string(payload);
}

std::string Snac(uint16_t family, uint16_t subtype, uint16_t flags, uint32_t requestId, std::string_view data) {
  return U16(family) + U16(subtype) + U16(flags) + U32(requestId) + std::string(data);
}

std::string Tlv(uint16_t type, std::string_view value) {
  return U16(type) + U16(uint16_t(value.size())) + std::string(value);
}

std::string Roast(std::string_view password) {
  static constexpr std::array<uint8_t, 16> kTable = {0xF3, 0x26, 0x81, 0xC4, 0x39, 0x86, 0xDB, 0x92,
                                                     0x71, 0xA3, 0xB9, 0xE6, 0x53, 0x7A, 0x95, 0x7C};
  std::string roasted(password);
  for (size_t i = 0; i < roasted.size(); ++i) roasted[i] = char(uint8_t(roasted[i]) ^ kTable[i % 16]);
  return roasted;
}

std::optional<std::vector<TlvItem>> ParseTlvs(std::string_view bytes) {
  std::vector<TlvItem> items;
  while (!bytes.empty()) {
    if (bytes.size() < 4 || bytes.size() < 4u + Get16(bytes, 2)) return std::nullopt;
    items.push_back({Get16(bytes, 0), std::string(bytes.substr(4, Get16(bytes, 2)))});
    bytes.remove_prefix(4u + Get16(bytes, 2));
  }
  return items;
}

std::optional<RawFrame> FlapSplitter::Next() {
  if (buffer_.size() < 6 || Broken() || buffer_.size() < 6u + Get16(buffer_, 4)) return std::nullopt;
  RawFrame frame{uint8_t(buffer_[1]), Get16(buffer_, 2), buffer_.substr(6, Get16(buffer_, 4))};
  buffer_.erase(0, 6 + frame.payload.size());
  return frame;
}

}  // namespace quelt::test::oscar
