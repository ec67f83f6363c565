#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "icq/IcqListItem.h"

namespace quelt::icq {

// A whole server list, ready to apply.
struct AssembledList {
  std::vector<IcqListItem> items;
  uint32_t modificationDate = 0;
};

// How big a server list may grow before it is refused.
struct IcqListLimits {
  size_t maxItems = 10000;
  size_t maxBytes = size_t{4} << 20;  // of part data
};

// Gathers the parts of the server's list (0x13,0x06) as they arrive. A list only ever comes whole
// from one connection: parts left from a connection that dropped are thrown away when another
// connection's part arrives. The total is capped, so a server that never sends the last part
// cannot grow the program without end; a list past the cap is refused whole. Not thread-safe.
class IcqListAssembly {
 public:
  explicit IcqListAssembly(IcqListLimits limits = {}) : limits_(limits) {}

  // A part received on `connection`; `last` when its SNAC flags say no more follow. The list
  // once its last part is in; nothing while more follow, and nothing for a list refused (past
  // the cap, or ending in a part too short to hold the list header).
  [[nodiscard]] std::optional<AssembledList> Add(uint64_t connection, std::span<const uint8_t> data, bool last);

 private:
  void Restart(uint64_t connection);

  const IcqListLimits limits_;
  uint64_t connection_ = 0;
  std::vector<IcqListItem> items_;
  size_t bytes_ = 0;
  bool refused_ = false;
};

}  // namespace quelt::icq
