#include "core/HistoryIndex.h"

namespace quelt::core {
namespace {

void Put32(uint8_t* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t Get32(const uint8_t* in) {
  return static_cast<uint32_t>(in[0]) | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16 |
         static_cast<uint32_t>(in[3]) << 24;
}

}  // namespace

std::array<uint8_t, kIndexHeaderSize> EncodeIndexHeader() {
  std::array<uint8_t, kIndexHeaderSize> header{};
  Put32(header.data(), kIndexVersion);
  return header;
}

std::array<uint8_t, kIndexRecordSize> EncodeIndexRecord(const IndexRecord& record) {
  std::array<uint8_t, kIndexRecordSize> bytes{};
  bytes[0] = static_cast<uint8_t>(record.time.year);
  bytes[1] = static_cast<uint8_t>(record.time.year >> 8);
  bytes[2] = record.time.month;
  bytes[3] = record.time.day;
  bytes[4] = record.time.hour;
  bytes[5] = record.time.minute;
  bytes[6] = record.time.second;
  bytes[7] = record.sender;
  Put32(&bytes[8], record.textOffset);
  Put32(&bytes[12], record.textLength);
  return bytes;
}

std::optional<IndexRecord> DecodeIndexRecord(std::span<const uint8_t> bytes) {
  if (bytes.size() < kIndexRecordSize) return std::nullopt;
  IndexRecord record;
  record.time.year = static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
  record.time.month = bytes[2];
  record.time.day = bytes[3];
  record.time.hour = bytes[4];
  record.time.minute = bytes[5];
  record.time.second = bytes[6];
  record.sender = bytes[7];
  record.textOffset = Get32(&bytes[8]);
  record.textLength = Get32(&bytes[12]);
  return record;
}

std::optional<IndexRange> PageRange(uint64_t indexSize, uint32_t skip) {
  const uint64_t whole = indexSize - indexSize % kIndexRecordSize;
  // 64-bit arithmetic: a skip near 2^32 cannot wrap around into a valid range.
  const uint64_t skipped = uint64_t{skip} * kIndexRecordSize;
  if (whole < kIndexHeaderSize + skipped + kIndexRecordSize) return std::nullopt;
  const uint64_t end = whole - skipped;
  const uint64_t pageBytes = kPageRecords * kIndexRecordSize;
  const uint64_t begin = end >= kIndexHeaderSize + pageBytes ? end - pageBytes : kIndexHeaderSize;
  return IndexRange{begin, end};
}

}  // namespace quelt::core
