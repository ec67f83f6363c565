#include "resources/QuickSearchMatch.h"

#include "platform/CaseMapping.h"

namespace quelt::resources {

TypedKeys::TypedKeys(std::span<const std::u16string> keyEntries) : keys_(keyEntries.size()) {
  for (size_t i = 0; i < keyEntries.size(); ++i) {
    Key& key = keys_[i];
    for (const char16_t c : keyEntries[i]) {
      if (c == u'_') key.hasUnderscore = true;
      // The character itself counts too: a title-case letter is neither its upper nor lower form.
      key.chars += c;
      if (const char16_t upper = platform::ToUpperCase(c); upper != c) key.chars += upper;
      if (const char16_t lower = platform::ToLowerCase(c); lower != c) key.chars += lower;
    }
  }
}

std::optional<TextMatch> TypedKeys::Match(std::u16string_view text, MatchMode mode) const {
  const size_t count = keys_.size();
  if (text.size() < count) return std::nullopt;
  const auto matches = [&](const Key& key, char16_t textChar) {
    return (key.hasUnderscore && mode == MatchMode::Name) || key.chars.find(textChar) != std::u16string::npos;
  };
  for (size_t start = 0; start + count <= text.size(); ++start) {
    size_t matched = 0;
    while (matched < count && matches(keys_[matched], text[start + matched])) ++matched;
    if (matched == count) return TextMatch{start, count};
  }
  return std::nullopt;
}

std::optional<TextMatch> MatchTypedKeys(std::u16string_view text, std::span<const std::u16string> keyEntries,
                                        MatchMode mode) {
  return TypedKeys(keyEntries).Match(text, mode);
}

ContactMatch QuickSearchTest(std::u16string_view displayName, std::u16string_view identifier,
                             const TypedKeys& typedKeys) {
  if (const auto range = typedKeys.Match(displayName, MatchMode::Name)) return {true, range};
  return {typedKeys.Match(identifier, MatchMode::Identifier).has_value(), std::nullopt};
}

}  // namespace quelt::resources
