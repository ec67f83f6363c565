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
  void Forget() { keys_.clear(); }

 private:
  [[nodiscard]] const std::string& KeyOf(std::u16string_view text);

  std::unordered_map<std::u16string, std::string> keys_;
};

}  // namespace quelt::ui
