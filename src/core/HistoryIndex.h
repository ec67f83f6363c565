#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "core/MessageTime.h"

namespace quelt::core {

// The index file of a conversation's history: a 16-byte header, then one 16-byte record per
// message, all little-endian.
inline constexpr uint32_t kIndexVersion = 1;
inline constexpr uint64_t kIndexHeaderSize = 16;
inline constexpr uint64_t kIndexRecordSize = 16;
inline constexpr uint64_t kPageRecords = 10;

// Stored when the sender is not among the participants.
inline constexpr uint8_t kUnknownSender = 255;

struct IndexRecord {
  MessageTime time;
  uint8_t sender = 0;       // position in the participant list
  uint32_t textOffset = 0;  // in bytes, from the start of the text file
  uint32_t textLength = 0;  // in bytes, without the CR LF that follows the text

  bool operator==(const IndexRecord&) const = default;
};

[[nodiscard]] std::array<uint8_t, kIndexHeaderSize> EncodeIndexHeader();
[[nodiscard]] std::array<uint8_t, kIndexRecordSize> EncodeIndexRecord(const IndexRecord& record);
// Nothing when fewer than 16 bytes are given.
[[nodiscard]] std::optional<IndexRecord> DecodeIndexRecord(std::span<const uint8_t> bytes);

// The byte range [begin, end) of the index file that holds one page: up to ten records, ending
// `skip` records before the last whole one and never reaching into the header. Nothing when the
// page is empty.
struct IndexRange {
  uint64_t begin = 0;
  uint64_t end = 0;
};
[[nodiscard]] std::optional<IndexRange> PageRange(uint64_t indexSize, uint32_t skip);

}  // namespace quelt::core
