#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::resources {

// Name mode lets the entry character '_' stand for any character; in identifier mode (numbers,
// addresses) it matches only itself.
enum class MatchMode { Name, Identifier };

// Where typed keys matched a text: `length` characters from `start`.
struct TextMatch {
  size_t start = 0;
  size_t length = 0;

  bool operator==(const TextMatch&) const = default;
};

// The entries of the typed keys (QuickSearchMap::EntriesForKeys), prepared once for matching
// many texts: the contact list tests every contact on each key press.
class TypedKeys {
 public:
  explicit TypedKeys(std::span<const std::u16string> keyEntries);

  // The first place in `text` where consecutive characters are matched, one for one, by the
  // typed keys. Letters match regardless of case. With no keys every text matches at 0 with
  // length 0.
  [[nodiscard]] std::optional<TextMatch> Match(std::u16string_view text, MatchMode mode) const;

 private:
  struct Key {
    std::u16string chars;  // the entry's characters and their upper- and lower-case forms
    bool hasUnderscore = false;
  };
  std::vector<Key> keys_;
};

// One-off form of TypedKeys::Match.
[[nodiscard]] std::optional<TextMatch> MatchTypedKeys(std::u16string_view text,
                                                      std::span<const std::u16string> keyEntries, MatchMode mode);

// The quick-search test of one contact: its display name in name mode gives a range to highlight;
// failing that, its identifier (ICQ number, MSN address) in identifier mode matches without one.
struct ContactMatch {
  bool matches = false;
  std::optional<TextMatch> highlight;
};

[[nodiscard]] ContactMatch QuickSearchTest(std::u16string_view displayName, std::u16string_view identifier,
                                           const TypedKeys& typedKeys);

}  // namespace quelt::resources
