#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>

#include "icq/SnacCommand.h"

namespace quelt::icq {

// The fixed table of every (family, subtype) pair the engine knows.
class SnacRegistry {
 public:
  // The pair of a kind, or nothing for Unknown or a number outside the table.
  [[nodiscard]] static std::optional<std::pair<uint16_t, uint16_t>> PairOf(SnacKind kind);
  // The kind of a pair, Unknown when it is not in the table.
  [[nodiscard]] static SnacKind KindOf(uint16_t family, uint16_t subtype);
  // A received command: an object of the kind's own class when the engine reads that kind, a
  // plain SnacCommand otherwise (kind Unknown for an unknown pair).
  [[nodiscard]] static SnacPtr MakeReceived(const SnacHeader& header, std::span<const uint8_t> data);
};

}  // namespace quelt::icq
