#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace quelt::icq {

// Builds outgoing bytes field by field, each with its byte order stated.
class ByteWriter {
 public:
  ByteWriter& U8(uint8_t value);
  ByteWriter& U16(uint16_t value);
  ByteWriter& U32(uint32_t value);
  ByteWriter& U64(uint64_t value);
  ByteWriter& U16Le(uint16_t value);
  ByteWriter& U32Le(uint32_t value);
  ByteWriter& Append(std::span<const uint8_t> bytes);
  ByteWriter& Append(std::string_view bytes);
  // Sizing the buffer up front keeps growth from leaving stale copies of secrets behind.
  void Reserve(size_t count) { bytes_.reserve(count); }

  [[nodiscard]] const std::vector<uint8_t>& Bytes() const { return bytes_; }
  [[nodiscard]] std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace quelt::icq
