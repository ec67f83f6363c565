#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quelt::icq {

struct Tlv;

// Reads fields from received bytes. Every read checks that its bytes are there; a read that
// cannot be satisfied consumes nothing, returns zero or nothing, and marks the reader failed
// for good, so a handler can read a whole record and check Ok() once at the end.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  [[nodiscard]] bool Ok() const { return ok_; }
  [[nodiscard]] size_t Offset() const { return offset_; }
  [[nodiscard]] size_t Remaining() const { return bytes_.size() - offset_; }
  [[nodiscard]] std::span<const uint8_t> Rest() const { return bytes_.subspan(offset_); }

  // Big-endian, as OSCAR headers and SNAC data are.
  uint8_t U8();
  uint16_t U16();
  uint32_t U32();
  uint64_t U64();
  // Little-endian, as inside the ICQ meta service.
  uint16_t U16Le();
  uint32_t U32Le();
  // `count` bytes, or an empty span (and failure) when fewer remain.
  std::span<const uint8_t> Bytes(size_t count);
  bool Skip(size_t count);
  // One TLV whose value is wholly present; nothing otherwise, without consuming or failing, so a
  // TLV chain simply ends there.
  std::optional<Tlv> ReadTlv();

 private:
  [[nodiscard]] bool Take(size_t count);

  std::span<const uint8_t> bytes_;
  size_t offset_ = 0;
  bool ok_ = true;
};

}  // namespace quelt::icq
