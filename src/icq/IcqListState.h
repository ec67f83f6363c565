#pragma once

#include <cstdint>

namespace quelt::icq {

// What start-up needs to know of the account's server-side contact list: the version of the
// copy the client holds (from the cache or an earlier download) and whether it is loaded.
struct IcqListState {
  uint32_t modificationDate = 0;  // 0: no list held
  uint16_t itemCount = 0;
  bool loaded = false;
};

}  // namespace quelt::icq
