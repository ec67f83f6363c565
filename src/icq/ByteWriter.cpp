#include "icq/ByteWriter.h"

#include <cstring>

namespace quelt::icq {

ByteWriter& ByteWriter::U8(uint8_t value) {
  bytes_.push_back(value);
  return *this;
}

ByteWriter& ByteWriter::U16(uint16_t value) {
  bytes_.push_back(static_cast<uint8_t>(value >> 8));
  bytes_.push_back(static_cast<uint8_t>(value));
  return *this;
}

ByteWriter& ByteWriter::U32(uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes_.push_back(static_cast<uint8_t>(value >> shift));
  return *this;
}

ByteWriter& ByteWriter::U64(uint64_t value) {
  for (int shift = 56; shift >= 0; shift -= 8) bytes_.push_back(static_cast<uint8_t>(value >> shift));
  return *this;
}

ByteWriter& ByteWriter::U16Le(uint16_t value) {
  bytes_.push_back(static_cast<uint8_t>(value));
  bytes_.push_back(static_cast<uint8_t>(value >> 8));
  return *this;
}

ByteWriter& ByteWriter::U32Le(uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<uint8_t>(value >> shift));
  return *this;
}

ByteWriter& ByteWriter::Append(std::span<const uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

ByteWriter& ByteWriter::Append(std::string_view bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}
}  // namespace quelt::icq
