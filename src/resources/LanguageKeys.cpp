#include "resources/LanguageKeys.h"

#include <algorithm>
#include <utility>

namespace quelt::resources {
namespace {

using KeyPosition = std::pair<std::string_view, size_t>;

constexpr auto kSortedKeys = [] {
  std::array<KeyPosition, kLanguageKeys.size()> sorted{};
  for (size_t i = 0; i < kLanguageKeys.size(); ++i) sorted[i] = {kLanguageKeys[i], i};
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}();

constexpr bool AllKeysDistinct() {
  for (size_t i = 1; i < kSortedKeys.size(); ++i) {
    if (kSortedKeys[i - 1].first == kSortedKeys[i].first) return false;
  }
  return true;
}
static_assert(AllKeysDistinct(), "a language key is listed twice");

}  // namespace

std::optional<size_t> LanguageKeyIndex(std::string_view key) {
  const auto found =
      std::lower_bound(kSortedKeys.begin(), kSortedKeys.end(), key,
                       [](const KeyPosition& entry, std::string_view name) { return entry.first < name; });
  if (found == kSortedKeys.end() || found->first != key) return std::nullopt;
  return found->second;
}

}  // namespace quelt::resources
