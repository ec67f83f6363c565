#include "ui/toolkit/TextLayout.h"

#include "platform/screen/Font.h"

namespace quelt::ui {
namespace {

// Appends the words of one paragraph.
void WrapParagraph(const platform::Font& font, std::u16string_view paragraph, int width,
                   std::vector<std::u16string>& lines) {
  std::u16string line;
  size_t at = 0;
  while (at < paragraph.size()) {
    const size_t space = paragraph.find(u' ', at);
    const std::u16string_view word = paragraph.substr(at, space == std::u16string_view::npos ? space : space - at);
    at = space == std::u16string_view::npos ? paragraph.size() : space + 1;
    std::u16string candidate = line.empty() ? std::u16string(word) : line + u' ' + std::u16string(word);
    if (font.TextWidth(candidate) <= width) {
      line = std::move(candidate);
      continue;
    }
    if (!line.empty()) lines.push_back(std::move(line));
    line.clear();
    // A word wider than the line is cut where it must be.
    std::u16string rest(word);
    while (!rest.empty() && font.TextWidth(rest) > width) {
      size_t fits = 1;
      while (fits < rest.size() && font.TextWidth(std::u16string_view(rest).substr(0, fits + 1)) <= width) ++fits;
      lines.push_back(rest.substr(0, fits));
      rest.erase(0, fits);
    }
    line = std::move(rest);
  }
  lines.push_back(std::move(line));
}

}  // namespace

std::vector<std::u16string> WrapText(const platform::Font& font, std::u16string_view text, int width) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find_first_of(u"\r\n", start);
    WrapParagraph(font, text.substr(start, end == std::u16string_view::npos ? end : end - start), width, lines);
    if (end == std::u16string_view::npos) break;
    start = end + (text.substr(end, 2) == u"\r\n" ? 2 : 1);
  }
  return lines;
}

}  // namespace quelt::ui
