#pragma once

#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Reading client commands for the MSN server fixtures: cutting them from the received bytes and
// splitting them into tokens strictly enough that every stray byte stays visible to the checks.
namespace quelt::test::msnline {

// Bounds that no sound client comes near: a payload, and bytes buffered without a whole command.
inline constexpr size_t kMaxPayload = 65536;
inline constexpr size_t kMaxBuffered = 1 << 20;

inline std::optional<size_t> Decimal(std::string_view text) {
  if (text.empty() || text.size() > 9 || (text.size() > 1 && text[0] == '0')) return std::nullopt;
  size_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + size_t(c - '0');
  }
  return value;
}

// Splits at every single space, so that doubled, leading and trailing spaces show as empty tokens.
inline std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  for (size_t start = 0;;) {
    const size_t space = text.find(' ', start);
    tokens.push_back(text.substr(start, space == std::string_view::npos ? space : space - start));
    if (space == std::string_view::npos) return tokens;
    start = space + 1;
  }
}

inline bool IsCommandWord(std::string_view word) {
  return word.size() == 3 && std::all_of(word.begin(), word.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}

struct Cut {
  std::string text;     // without the line end
  std::string payload;  // the bytes after the line that its length token counts
  bool crlf = false;
  size_t size = 0;  // bytes consumed
};

// One command from the front of `buffer`: a line ending in LF (CR LF expected) and, for the
// `payloadWords` with a sound length of at most `maxPayload` as their last token, that many payload
// bytes. None while incomplete. A command whose length is not sound is cut without its payload,
// so that the bytes after it are read as lines and the fault shows.
inline std::optional<Cut> CutCommand(std::string_view buffer, std::initializer_list<std::string_view> payloadWords,
                                     size_t maxPayload) {
  const size_t end = buffer.find('\n');
  if (end == std::string_view::npos) return std::nullopt;
  Cut cut;
  cut.crlf = end > 0 && buffer[end - 1] == '\r';
  cut.text = std::string(buffer.substr(0, cut.crlf ? end - 1 : end));
  cut.size = end + 1;
  const std::string_view text = cut.text;
  const std::string_view word = text.substr(0, text.find(' '));
  if (std::find(payloadWords.begin(), payloadWords.end(), word) != payloadWords.end()) {
    const auto length = Decimal(text.substr(text.rfind(' ') + 1));
    if (length && *length <= maxPayload) {
      if (buffer.size() - cut.size < *length) return std::nullopt;
      cut.payload = std::string(buffer.substr(cut.size, *length));
      cut.size += *length;
    }
  }
  return cut;
}

}  // namespace quelt::test::msnline
