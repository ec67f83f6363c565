#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

namespace quelt::ui {

// Compares names as the user's locale sorts them (LC_COLLATE), case-sensitively. Each name's
// collation key is made once and kept, so sorting the list again costs only comparisons.
class Collator {
 public:
  // Negative, zero or positive, as for strcmp.
  [[nodiscard]] int Compare(std::u16string_view a, std::u16string_view b);
  // Makes room for `count` more keys; the keys taken after it stay valid until the next call.
  void Reserve(size_t count);
  // The key that orders the text as the locale does, compared byte by byte.
  [[nodiscard]] const std::string& KeyOf(std::u16string_view text);

 private:
  std::unordered_map<std::u16string, std::string> keys_;
};

}  // namespace quelt::ui
