#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::icq {

class ByteWriter;

// A type-length-value field: 16-bit type, 16-bit length, value.
struct Tlv {
  uint16_t type = 0;
  std::vector<uint8_t> value;

  [[nodiscard]] static Tlv FromU16(uint16_t type, uint16_t number);
  [[nodiscard]] static Tlv FromU32(uint16_t type, uint32_t number);
  [[nodiscard]] static Tlv FromBytes(uint16_t type, std::span<const uint8_t> bytes);
  [[nodiscard]] static Tlv FromAscii(uint16_t type, std::string_view text);
  // The text converted to 8-bit with a Windows code page (0: the system ANSI code page).
  [[nodiscard]] static Tlv FromText(uint16_t type, std::u16string_view text, uint32_t codePage);

  // Type, the low 16 bits of the value's length, then the value.
  void Serialize(ByteWriter& out) const;
  bool operator==(const Tlv&) const = default;
};

// An ordered list of TLVs; lookups take the first of a type.
class TlvChain {
 public:
  TlvChain() = default;
  explicit TlvChain(std::vector<Tlv> items) : items_(std::move(items)) {}

  // Reads TLVs until the bytes end or one is incomplete.
  [[nodiscard]] static TlvChain Read(std::span<const uint8_t> bytes);

  [[nodiscard]] const Tlv* Find(uint16_t type) const;
  [[nodiscard]] const std::vector<Tlv>& Items() const { return items_; }
  void Add(Tlv tlv) { items_.push_back(std::move(tlv)); }
  [[nodiscard]] bool Empty() const { return items_.empty(); }
  // Overwrites every value with zeros (for chains that held a password or a cookie).
  void WipeValues();

 private:
  std::vector<Tlv> items_;
};

}  // namespace quelt::icq
