#pragma once

#include <cstdint>

namespace quelt::icq {

// What the account knows of its server-side list as a whole.
struct IcqListState {
  uint32_t modificationDate = 0;  // the server's time stamp of the list held; 0: none held
  uint16_t itemCount = 0;         // items in the last list received
  uint16_t privacyItemId = 0;     // 0: the server list has no privacy item
  uint8_t privacyValue = 0;       // 3: only the visible list sees the user; 4: all but the invisible list
  bool loaded = false;            // start-up has finished with this list

  bool operator==(const IcqListState&) const = default;
};

}  // namespace quelt::icq
