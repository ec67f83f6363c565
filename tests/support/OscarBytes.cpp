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

std::optional<std::string> Item::Value(uint16_t tlv) const {
  for (TlvItem& item : Tlvs()) {
    if (item.type == tlv) return std::move(item.value);
  }
  return std::nullopt;
}

std::string ItemBytes(const Item& item) {
  return U16(uint16_t(item.name.size())) + item.name + U16(item.groupId) + U16(item.itemId) + U16(item.type) +
         U16(uint16_t(item.data.size())) + item.data;
}

Item ContactItem(std::string uin, uint16_t groupId, uint16_t itemId, std::string_view nickname, bool awaiting) {
  return {std::move(uin), groupId, itemId, 0, (awaiting ? Tlv(0x0066, "") : "") + Tlv(0x0131, nickname)};
}

Item GroupItem(std::string name, uint16_t groupId, const std::vector<uint16_t>& memberIds) {
  std::string members;
  for (uint16_t id : memberIds) members += U16(id);
  return {std::move(name), groupId, 0, 1, Tlv(0x00C8, members)};
}

Item PrivacyItem(uint16_t itemId, uint8_t value) {
  return {"", 0, itemId, 4, Tlv(0x00CA, std::string(1, char(value)))};
}

ItemChain ReadItems(std::string_view bytes) {
  ItemChain chain;
  while (!bytes.empty() && chain.fault.empty()) {
    const std::string at = "item " + std::to_string(chain.items.size() + 1) + ": ";
    const size_t nameSize = bytes.size() >= 2 ? Get16(bytes, 0) : 0;
    if (bytes.size() < 10 + nameSize) {
      chain.fault =
          at + "name length " + std::to_string(nameSize) + " and header in " + std::to_string(bytes.size()) + " bytes";
      break;
    }
    Item item{std::string(bytes.substr(2, nameSize)), Get16(bytes, 2 + nameSize), Get16(bytes, 4 + nameSize),
              Get16(bytes, 6 + nameSize)};
    const size_t dataSize = Get16(bytes, 8 + nameSize);
    bytes.remove_prefix(10 + nameSize);
    if (bytes.size() < dataSize) {
      chain.fault = at + "data length " + std::to_string(dataSize) + " with " + std::to_string(bytes.size()) + " left";
    } else if (item.data = bytes.substr(0, dataSize); !ParseTlvs(item.data)) {
      chain.fault = at + "TLVs do not fill the data";
    } else {
      chain.items.push_back(std::move(item));
      bytes.remove_prefix(dataSize);
    }
  }
  return chain;
}

std::optional<RawFrame> FlapSplitter::Next() {
  if (buffer_.size() < 6 || Broken() || buffer_.size() < 6u + Get16(buffer_, 4)) return std::nullopt;
  RawFrame frame{uint8_t(buffer_[1]), Get16(buffer_, 2), buffer_.substr(6, Get16(buffer_, 4))};
  buffer_.erase(0, 6 + frame.payload.size());
  return frame;
}

}  // namespace quelt::test::oscar
