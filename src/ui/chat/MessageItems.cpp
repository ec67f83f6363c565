#include "ui/chat/MessageItems.h"

#include <array>

#include "resources/SmileyTable.h"

namespace quelt::ui {
namespace {

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

bool StartsLink(std::u16string_view text, size_t at) {
  static constexpr std::array<std::u16string_view, 3> kBeginnings = {u"HTTP://", u"HTTPS://", u"WWW."};
  for (const auto beginning : kBeginnings) {
    if (text.size() - at < beginning.size()) continue;
    bool same = true;
    for (size_t i = 0; i < beginning.size() && same; ++i) same = Upper(text[at + i]) == beginning[i];
    if (same) return true;
  }
  return false;
}

// A line feed ends a link too: text from clients that end lines with a bare line feed would
// otherwise run into the link.
bool EndsLink(char16_t c) { return c == u' ' || c == u'\r' || c == u'\t' || c == u'\n'; }

}  // namespace

std::vector<MessageItem> SplitMessage(std::u16string_view text, const resources::SmileyTable* smileys) {
  using Kind = MessageItem::Kind;
  if (smileys != nullptr && !smileys->HasImages()) smileys = nullptr;
  std::vector<MessageItem> items;
  size_t runStart = 0;
  auto endRun = [&](size_t at) {
    if (at > runStart) items.push_back({Kind::Text, runStart, at - runStart});
  };
  size_t at = 0;
  while (at < text.size()) {
    const char16_t c = text[at];
    size_t next = at + 1;
    if (c == u'\r' || c == u'\n') {
      // CR LF LF is one break; a bare line feed, as Unix clients send, is one too.
      endRun(at);
      if (c == u'\r') {
        while (next < text.size() && text[next] == u'\n') ++next;
      }
      items.push_back({Kind::LineBreak, at, next - at});
    } else if (StartsLink(text, at)) {
      endRun(at);
      while (next < text.size() && !EndsLink(text[next])) ++next;
      items.push_back({Kind::Link, at, next - at});
    } else if (const auto match = smileys ? smileys->MatchAt(text, at) : std::nullopt; match && match->length > 0) {
      endRun(at);
      next = at + match->length;
      items.push_back({Kind::Smiley, at, match->length, match->index});
    } else if (c == u' ') {
      endRun(at);
      items.push_back({Kind::Space, at, 1});
    } else {
      at = next;
      continue;
    }
    at = next;
    runStart = next;
  }
  endRun(text.size());
  return items;
}

}  // namespace quelt::ui
