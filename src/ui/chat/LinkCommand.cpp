#include "ui/chat/LinkCommand.h"

#include "platform/TextCodec.h"

namespace quelt::ui {

std::optional<std::vector<std::string>> LinkCommandLine(std::string_view command, std::u16string_view link) {
  constexpr std::string_view kPlaceholder = "%1";
  std::vector<std::string> words;
  bool quoted = false;
  bool inWord = false;
  for (const char c : command) {
    if (c == '"') {
      quoted = !quoted;
      if (!inWord) words.emplace_back();
      inWord = true;
    } else if (c == ' ' && !quoted) {
      inWord = false;
    } else {
      if (!inWord) words.emplace_back();
      inWord = true;
      words.back() += c;
    }
  }
  if (words.empty() || words.front().empty()) return std::nullopt;
  const std::string text = platform::Utf16ToUtf8(link);
  bool placed = false;
  for (size_t i = 1; i < words.size(); ++i) {
    for (size_t at = words[i].find(kPlaceholder); at != std::string::npos;
         at = words[i].find(kPlaceholder, at + text.size())) {
      words[i].replace(at, kPlaceholder.size(), text);
      placed = true;
    }
  }
  if (!placed) return std::nullopt;
  return words;
}

}  // namespace quelt::ui
