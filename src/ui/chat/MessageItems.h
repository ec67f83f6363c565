#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace quelt::resources {
class SmileyTable;
}

namespace quelt::ui {

// A piece of a message's text as the chat list draws it.
struct MessageItem {
  enum class Kind { Text, Space, LineBreak, Link, Smiley };
  Kind kind = Kind::Text;
  size_t start = 0;  // into the message's text
  size_t length = 0;
  size_t smiley = 0;  // Smiley: its index in the set

  bool operator==(const MessageItem&) const = default;
};

// Splits a message into runs of text, spaces, line breaks, links and smileys. Without a set, or
// with one that has no pictures, smiley texts stay text.
[[nodiscard]] std::vector<MessageItem> SplitMessage(std::u16string_view text, const resources::SmileyTable* smileys);

}  // namespace quelt::ui
