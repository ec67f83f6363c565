#include "support/OscarBytes.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace quelt::test::oscar {

std::string U16(uint16_t value) { return {char(value >> 8), char(value)}; }
std::string U32(uint32_t value) { return U16(uint16_t(value >> 16)) + U16(uint16_t(value)); }
std::string U16Le(uint16_t value) { return {char(value), char(value >> 8)}; }
std::string U32Le(uint32_t value) { return {char(value), char(value >> 8), char(value >> 16), char(value >> 24)}; }

uint16_t Get16(std::string_view bytes, size_t at) { return uint16_t(uint8_t(bytes[at]) << 8 | uint8_t(bytes[at + 1])); }
uint32_t Get32(std::string_view bytes, size_t at) { return uint32_t(Get16(bytes, at)) << 16 | Get16(bytes, at + 2); }
uint16_t Get16Le(std::string_view bytes, size_t at) {
  return uint16_t(uint8_t(bytes[at + 1]) << 8 | uint8_t(bytes[at]));
}
uint32_t Get32Le(std::string_view bytes, size_t at) {
  return uint32_t(Get16Le(bytes, at + 2)) << 16 | Get16Le(bytes, at);
}

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

std::optional<std::string> Find(const std::vector<TlvItem>& tlvs, uint16_t type) {
  const auto found = std::find_if(tlvs.begin(), tlvs.end(), [type](const TlvItem& tlv) { return tlv.type == type; });
  return found == tlvs.end() ? std::nullopt : std::optional(found->value);
}

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, value);
  return text;
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

std::string TlvLe(uint16_t type, std::string_view value) {
  return U16Le(type) + U16Le(uint16_t(value.size())) + std::string(value);
}

std::optional<std::vector<TlvItem>> ParseTlvsLe(std::string_view bytes) {
  std::vector<TlvItem> items;
  while (!bytes.empty()) {
    if (bytes.size() < 4 || bytes.size() < 4u + Get16Le(bytes, 2)) return std::nullopt;
    items.push_back({Get16Le(bytes, 0), std::string(bytes.substr(4, Get16Le(bytes, 2)))});
    bytes.remove_prefix(4u + Get16Le(bytes, 2));
  }
  return items;
}

std::string MetaText(std::string_view text) { return U16Le(uint16_t(text.size() + 1)) + std::string(text) + '\0'; }
std::string WithByteLength(std::string_view text) { return char(text.size()) + std::string(text); }

bool Digits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}
uint32_t UinNumber(std::string_view uin) { return uint32_t(std::strtoul(std::string(uin).c_str(), nullptr, 10)); }

std::string Capability(uint8_t id) {
  return std::string("\x09\x46\x13") + char(id) + std::string("\x4C\x7F\x11\xD1\x82\x22\x44\x45\x53\x54\0\0", 12);
}

std::string UserInfo(std::string_view uin, std::string_view tlvs, uint16_t count) {
  return WithByteLength(uin) + U16(0) + U16(count) + std::string(tlvs);
}
std::string SenderInfo(std::string_view uin, uint16_t status) {
  return UserInfo(uin, Tlv(0x0006, U16(0) + U16(status)) + Tlv(0x0001, U16(0x0050)), 2);
}

std::string ChannelOneMessage(uint32_t number, std::string_view from) {
  const std::string text = "Message number " + std::to_string(number) + ", of an ordinary length for a chat.";
  const std::string fragments =
      "\x05\x01" + U16(1) + "\x01" + "\x01\x01" + U16(uint16_t(4 + text.size())) + U16(0) + U16(0) + text;
  return Snac(0x04, 0x07, 0, 0, U32(0xBE7C) + U32(number) + U16(1) + SenderInfo(from, 0) + Tlv(0x0002, fragments));
}

MessageText ReadMessageText(std::string_view fragments) {
  MessageText text;
  const auto fragment = [&fragments](uint8_t id, std::string_view& value) {
    if (fragments.size() < 4 || uint8_t(fragments[0]) != id || fragments[1] != 1) return false;
    if (fragments.size() < 4u + Get16(fragments, 2)) return false;
    value = fragments.substr(4, Get16(fragments, 2));
    fragments.remove_prefix(4 + value.size());
    return true;
  };
  std::string_view features, body;
  if (!fragment(0x05, features) || (features != "\x01" && features != "\x01\x06")) {
    text.fault = "no features fragment 05 01 with 01 or 01 06";
  } else if (!fragment(0x01, body) || body.size() < 4 || !fragments.empty()) {
    text.fault = "text fragment 01 01 does not end the TLV";
  } else if (text.charset = Get16(body, 0); Get16(body, 2) != 0 || text.charset != (features.size() == 2 ? 2 : 0)) {
    text.fault = "charset or subset of the text fragment";
  } else if (text.charset == 2 && body.size() % 2 != 0) {
    text.fault = "UTF-16 text of an odd length";
  }
  text.bytes = body.substr(std::min<size_t>(4, body.size()));
  return text;
}

Extension PlainExtension(std::string_view text, bool utf8, uint16_t status) {
  // Protocol version, no plug-in (16 zero bytes), client features, and the down-counter.
  const std::string first = U16Le(9) + std::string(16, '\0') + U16Le(0) + U32Le(3) + '\0' + U16Le(0xFFF0);
  const std::string second = U16Le(0xFFF0) + std::string(12, '\0');
  const std::string head = U16Le(uint16_t(first.size())) + first + U16Le(uint16_t(second.size())) + second + "\x01" +
                           '\0' + U16Le(status) + U16Le(0x0021);
  const std::string guid = "{0946134E-4C7F-11D1-8222-444553540000}";
  const std::string rest = U32(0) + U32(0x00FFFFFF) + (utf8 ? U32Le(uint32_t(guid.size())) + guid : "");
  return {head + MetaText(text) + rest, head + MetaText("") + rest};
}

std::optional<Icbm> ReadIcbm(std::string_view data) {
  if (data.size() < 11 || data.size() < 11u + uint8_t(data[10])) return std::nullopt;
  const size_t size = uint8_t(data[10]);
  return Icbm{std::string(data.substr(0, 8)), Get16(data, 8), std::string(data.substr(11, size)),
              std::string(data.substr(11 + size))};
}

std::optional<Meta> ReadMeta(std::string_view data) {
  if (data.size() < 14 || Get16(data, 0) != 1 || data.size() < 4u + Get16(data, 2)) return std::nullopt;
  const std::string_view value = data.substr(4, Get16(data, 2));
  const bool request = value.size() >= 12 && Get16Le(value, 6) == 0x07D0;
  if (value.size() < 10 || Get16Le(value, 0) != value.size() - 2) return std::nullopt;
  Meta meta{Get32Le(value, 2),
            Get16Le(value, 6),
            Get16Le(value, 8),
            uint16_t(request ? Get16Le(value, 10) : 0),
            std::string(value.substr(request ? 12 : 10)),
            std::string(data.substr(4 + value.size()))};
  meta.tlvs = ParseTlvsLe(meta.body);
  return meta;
}

std::string CriteriaFault(const std::vector<TlvItem>& criteria) {
  static constexpr uint16_t kOrder[] = {0x0190, 0x0168, 0x017C, 0x0140, 0x014A, 0x0154, 0x015E};
  const uint16_t* next = std::begin(kOrder);
  for (const TlvItem& tlv : criteria) {
    next = std::find(next, std::end(kOrder), tlv.type);
    const size_t size = tlv.value.size();
    const bool sized = tlv.type == 0x0168 ? size == 4
                       : tlv.type == 0x017C
                           ? size == 1
                           : size >= 3 && Get16Le(tlv.value, 0) == size - 2 && tlv.value.back() == '\0';
    if (next++ == std::end(kOrder) || !sized) {
      char fault[48];
      std::snprintf(fault, sizeof fault, "criterion 0x%04X out of order or malformed", tlv.type);
      return fault;
    }
  }
  return {};
}

std::vector<std::string> InfoParts(const Profile& p) {
  std::string basic;
  for (const std::string& text : {p.nickname, p.firstName, p.lastName, p.email, p.city}) basic += MetaText(text);
  for (int i = 0; i < 6; ++i) basic += MetaText("");  // state, phones, street, zip code
  return {basic + U16Le(p.country) + std::string(1, '\0') + char(p.authorization) + std::string(3, '\0'),
          U16Le(p.age) + char(p.gender) + MetaText(p.homepage) + U16Le(p.birthYear) + char(p.birthMonth) +
              char(p.birthDay) + std::string(5, '\0') + MetaText("") + MetaText("") + U16Le(0) + '\0',
          MetaText(p.notes)};
}

std::string SearchRecord(const Profile& p) {
  const std::string record = U32Le(UinNumber(p.uin)) + MetaText(p.nickname) + MetaText(p.firstName) +
                             MetaText(p.lastName) + MetaText(p.email) + char(p.authorization) + U16Le(p.searchStatus) +
                             char(p.gender) + U16Le(p.age);
  return U16Le(uint16_t(record.size())) + record;
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
