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
uint16_t Get16Le(std::string_view bytes, size_t at);
uint32_t Get32Le(std::string_view bytes, size_t at);

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
// The first TLV of this type.
std::optional<std::string> Find(const std::vector<TlvItem>& tlvs, uint16_t type);
// "0x00AB" for messages about violations.
std::string Hex(uint32_t value, int digits = 4);

// The meta service's search criteria carry type and length little-endian.
std::string TlvLe(uint16_t type, std::string_view value);
std::optional<std::vector<TlvItem>> ParseTlvsLe(std::string_view bytes);
// A meta text: little-endian length counting the terminating zero, the bytes, the zero.
std::string MetaText(std::string_view text);
std::string WithByteLength(std::string_view text);
bool Digits(std::string_view text);  // a UIN's text
uint32_t UinNumber(std::string_view uin);

// 09 46 13 <id> 4C 7F 11 D1 82 22 44 45 53 54 00 00: 0x49 server relay, 0x4E UTF-8, 0x44 ICQ.
std::string Capability(uint8_t id);
// Sender or contact information: UIN length and UIN, warning level 0, TLV count, the TLVs.
std::string UserInfo(std::string_view uin, std::string_view tlvs, uint16_t count);
// A message sender's: TLV 0x0006 (flags 0, status) and the user class TLV 0x0001.
std::string SenderInfo(std::string_view uin, uint16_t status);
// Message `number` of a chat, of an ordinary length, from `from` on channel 1 in code page 0, as a
// server relays it (0x04,0x07).
std::string ChannelOneMessage(uint32_t number, std::string_view from);

// The text of a channel-1 message TLV 0x0002 in the two layouts the client builds, or the fault.
struct MessageText {
  std::string bytes;
  uint16_t charset = 0;
  std::string fault;  // empty when the fragments are as expected
};
MessageText ReadMessageText(std::string_view fragments);
// TLV 0x2711 of a plain channel-2 message, and the part of it an acknowledgement repeats after
// the reason: both blocks, type, flags, status, priority, an empty text, the rest.
struct Extension {
  std::string value;
  std::string acknowledged;
};
Extension PlainExtension(std::string_view text, bool utf8, uint16_t status);
// The head of a messaging command (family 0x04): cookie, channel and UIN; `rest` follows.
struct Icbm {
  std::string cookie;
  uint16_t channel = 0;
  std::string uin, rest;
};
std::optional<Icbm> ReadIcbm(std::string_view data);

// A meta request (TLV 0x0001, then `tail`) whose chunk size fits: `body` follows the subtype of
// command 0x07D0 and the sequence of the others; `tlvs` are its little-endian TLVs, if it is made of them.
struct Meta {
  uint32_t uin = 0;
  uint16_t command = 0, sequence = 0, subtype = 0;
  std::string body, tail;
  std::optional<std::vector<TlvItem>> tlvs;
};
std::optional<Meta> ReadMeta(std::string_view data);
// What is wrong with search criteria: order, sizes, text layout; empty when nothing is.
std::string CriteriaFault(const std::vector<TlvItem>& criteria);

// A user as user-info replies and search results show it; texts in the code page, the rest empty.
struct Profile {
  std::string uin, nickname, firstName, lastName, email, city, homepage, notes;
  uint16_t country = 0, age = 0, birthYear = 0;
  uint8_t gender = 0, authorization = 0, birthMonth = 0, birthDay = 0;
  uint16_t searchStatus = 1;  // 1: online
};
// The data of replies 0x00C8, 0x00DC, 0x00E6 after the success byte, and of a search result.
std::vector<std::string> InfoParts(const Profile& profile);
std::string SearchRecord(const Profile& profile);

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
