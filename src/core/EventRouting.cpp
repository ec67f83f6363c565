#include "core/EventRouting.h"

#include <algorithm>
#include <array>

namespace quelt::core {
namespace {

constexpr std::array<int32_t, 25> kCoreOnly = {1,  2,  9,  10, 11, 12, 25, 26, 27, 28, 29, 30, 31,
                                               32, 33, 54, 55, 57, 59, 61, 62, 63, 66, 70, 71};
constexpr std::array<int32_t, 14> kUiOnly = {8, 14, 15, 16, 17, 36, 37, 40, 42, 44, 45, 49, 50, 51};

constexpr bool Contains(const auto& table, int32_t code) {
  return std::find(table.begin(), table.end(), code) != table.end();
}

}  // namespace

EventRoute RouteOf(EventCode code) {
  const int32_t value = ToInt(code);
  if (Contains(kCoreOnly, value)) return {.core = true, .ui = false};
  if (Contains(kUiOnly, value)) return {.core = false, .ui = true};
  return {.core = true, .ui = true};
}

}  // namespace quelt::core
