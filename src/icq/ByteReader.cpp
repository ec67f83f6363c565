#include "icq/ByteReader.h"

#include "icq/Tlv.h"

namespace quelt::icq {

bool ByteReader::Take(size_t count) {
  if (!ok_ || count > Remaining()) {
    ok_ = false;
    return false;
  }
  return true;
}

uint8_t ByteReader::U8() {
  if (!Take(1)) return 0;
  return bytes_[offset_++];
}

uint16_t ByteReader::U16() {
  if (!Take(2)) return 0;
  const auto value = static_cast<uint16_t>((bytes_[offset_] << 8) | bytes_[offset_ + 1]);
  offset_ += 2;
  return value;
}

uint32_t ByteReader::U32() {
  if (!Take(4)) return 0;
  uint32_t value = 0;
  for (size_t i = 0; i < 4; ++i) value = (value << 8) | bytes_[offset_ + i];
  offset_ += 4;
  return value;
}

uint64_t ByteReader::U64() {
  if (!Take(8)) return 0;
  uint64_t value = 0;
  for (size_t i = 0; i < 8; ++i) value = (value << 8) | bytes_[offset_ + i];
  offset_ += 8;
  return value;
}

uint16_t ByteReader::U16Le() {
  if (!Take(2)) return 0;
  const auto value = static_cast<uint16_t>(bytes_[offset_] | (bytes_[offset_ + 1] << 8));
  offset_ += 2;
  return value;
}

uint32_t ByteReader::U32Le() {
  if (!Take(4)) return 0;
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;) value = (value << 8) | bytes_[offset_ + i];
  offset_ += 4;
  return value;
}

std::span<const uint8_t> ByteReader::Bytes(size_t count) {
  if (!Take(count)) return {};
  const auto bytes = bytes_.subspan(offset_, count);
  offset_ += count;
  return bytes;
}

bool ByteReader::Skip(size_t count) {
  if (!Take(count)) return false;
  offset_ += count;
  return true;
}

std::optional<Tlv> ByteReader::ReadTlv() {
  if (!ok_ || Remaining() < 4) return std::nullopt;
  const size_t length = static_cast<size_t>((bytes_[offset_ + 2] << 8) | bytes_[offset_ + 3]);
  if (Remaining() - 4 < length) return std::nullopt;
  Tlv tlv;
  tlv.type = static_cast<uint16_t>((bytes_[offset_] << 8) | bytes_[offset_ + 1]);
  const auto value = bytes_.subspan(offset_ + 4, length);
  tlv.value.assign(value.begin(), value.end());
  offset_ += 4 + length;
  return tlv;
}

}  // namespace quelt::icq
