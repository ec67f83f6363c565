#include "core/StatusNames.h"

#include <array>
#include <utility>

namespace quelt::core {

std::string_view IcqStatusKey(uint32_t status) {
  if (status == 0xFFFFFFFFu) return "offline";
  constexpr uint32_t kStatusBits = 0x01FF;
  if ((status & kStatusBits) == 0) return "online";
  // A word may carry several bits; this order decides which one names it.
  constexpr std::array<std::pair<uint32_t, std::string_view>, 6> kByPriority = {{
      {0x0002, "do_not_disturb"},
      {0x0010, "occupied"},
      {0x0004, "not_available"},
      {0x0001, "away"},
      {0x0020, "free_for_chat"},
      {0x0100, "invisible"},
  }};
  for (const auto& [bit, key] : kByPriority) {
    if ((status & bit) != 0) return key;
  }
  return {};
}

std::string_view MsnStatusKey(int32_t presence) {
  switch (presence) {
    case -1: return "offline";
    case 1: return "online";
    case 2: return "busy";
    case 3: return "idle";
    case 4: return "be_right_back";
    case 5: return "away";
    case 6: return "on_the_phone";
    case 7: return "out_to_lunch";
    case 8: return "invisible";
    default: return {};
  }
}

}  // namespace quelt::core
