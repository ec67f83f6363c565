#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Raw OSCAR bytes for the test server, built and read here without the client's codec so that
// each side checks the other. Numbers are big-endian unless the name says otherwise.
namespace quelt::test::oscar {

std::string U16(uint16_t value);
std::string U32(uint32_t value);
std::string U16Le(uint16_t value);
std::string U32Le(uint32_t value);
// The caller keeps `at` and the width inside `bytes`.
uint16_t Get16(std::string_view bytes, size_t at);
uint32_t Get32(std::string_view bytes, size_t at);

std::string Flap(uint8_t channel, uint16_t sequence, std::string_view payload);
std::string Snac(uint16_t family, uint16_t subtype, uint16_t flags, uint32_t requestId, std::string_view data);
std::string Tlv(uint16_t type, std::string_view value);
std::string Roast(std::string_view password);

struct TlvItem {
  uint16_t type = 0;
  std::string value;
  bool operator==(const TlvItem&) const = default;
};
// The whole chain, or nothing when the last TLV is cut short.
std::optional<std::vector<TlvItem>> ParseTlvs(std::string_view bytes);

// One item of the server-side contact list; `data` is its TLV chain as it travels.
struct Item {
  std::string name;  // UTF-8
  uint16_t groupId = 0, itemId = 0, type = 0;
  std::string data;
  [[nodiscard]] std::vector<TlvItem> Tlvs() const { return ParseTlvs(data).value_or(std::vector<TlvItem>{}); }
  [[nodiscard]] std::optional<std::string> Value(uint16_t tlv) const;
  bool operator==(const Item&) const = default;
};
// Name length, name, group id, item id, type, data length, data.
std::string ItemBytes(const Item& item);
// The items as the client builds them: TLV 0x0066 (when awaiting) then 0x0131; 0x00C8; 0x00CA.
Item ContactItem(std::string uin, uint16_t groupId, uint16_t itemId, std::string_view nickname, bool awaiting = false);
Item GroupItem(std::string name, uint16_t groupId, const std::vector<uint16_t>& memberIds);
Item PrivacyItem(uint16_t itemId, uint8_t value);
struct ItemChain {
  std::vector<Item> items;  // those read before a fault
  std::string fault;        // empty when the bytes are whole items, each data a whole TLV chain
};
ItemChain ReadItems(std::string_view bytes);

struct RawFrame {
  uint8_t channel = 0;
  uint16_t sequence = 0;
  std::string payload;
};

// Cuts FLAP frames out of a stream that arrives in arbitrary pieces.
class FlapSplitter {
 public:
  void Feed(std::string_view bytes) { buffer_ += bytes; }
  std::optional<RawFrame> Next();
  // True when the stream holds something other than a frame start where one should begin.
  [[nodiscard]] bool Broken() const { return !buffer_.empty() && buffer_[0] != '\x2A'; }

 private:
  std::string buffer_;
};

}  // namespace quelt::test::oscar
