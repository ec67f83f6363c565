#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "icq/SnacKind.h"

namespace quelt::icq {

class ByteWriter;

// The header fields every SNAC carries.
struct SnacHeader {
  uint16_t family = 0;
  uint16_t subtype = 0;
  uint16_t flags = 0;
  uint32_t requestId = 0;
};

inline constexpr uint16_t kSnacFlagExtraHeader = 0x8000;
inline constexpr uint16_t kSnacFlagMoreFollow = 0x0001;

// A command on channel 2. Received commands of a known kind are objects of a class of their own
// (see ReceivedCommands.h) that has read its fields from the data; outgoing commands are built by
// the functions in OutgoingCommands.h. Immutable once built.
class SnacCommand {
 public:
  SnacCommand(SnacHeader header, SnacKind kind, std::vector<uint8_t> data);
  virtual ~SnacCommand();
  SnacCommand(const SnacCommand&) = delete;
  SnacCommand& operator=(const SnacCommand&) = delete;

  [[nodiscard]] const SnacHeader& Header() const { return header_; }
  [[nodiscard]] uint16_t Family() const { return header_.family; }
  [[nodiscard]] uint16_t Subtype() const { return header_.subtype; }
  [[nodiscard]] uint16_t Flags() const { return header_.flags; }
  [[nodiscard]] uint32_t RequestId() const { return header_.requestId; }
  [[nodiscard]] SnacKind Kind() const { return kind_; }
  [[nodiscard]] const std::vector<uint8_t>& Data() const { return data_; }

  // The 10-byte header (never with an extra header) and the data.
  void Serialize(ByteWriter& out) const;

 private:
  const SnacHeader header_;
  const SnacKind kind_;
  std::vector<uint8_t> data_;  // wiped on destruction: it may hold a password or a cookie
};

using SnacPtr = std::shared_ptr<const SnacCommand>;

}  // namespace quelt::icq
