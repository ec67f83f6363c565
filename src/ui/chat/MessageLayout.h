#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

#include "ui/chat/MessageItems.h"

namespace quelt::ui {

// A part of one item placed on a line: text and links may be broken across lines.
struct LinePiece {
  size_t item = 0;   // into the message's items
  size_t start = 0;  // into the message's text
  size_t length = 0;
  int x = 0;
  int width = 0;

  bool operator==(const LinePiece&) const = default;
};

struct MessageLine {
  int height = 0;
  std::vector<LinePiece> pieces;
};

struct LayoutMetrics {
  int width = 0;       // of the lines
  int lineHeight = 0;  // the font's; a smiley may make its line taller
  std::function<int(std::u16string_view)> textWidth;
  std::function<int(size_t smiley)> smileyWidth;
  std::function<int(size_t smiley)> smileyHeight;
};

// Lays a message's items out in lines: an item that does not fit goes to the next line, a word
// or link wider than a whole line is broken between characters, and spaces at a wrap vanish.
[[nodiscard]] std::vector<MessageLine> LayOutMessage(std::u16string_view text, std::span<const MessageItem> items,
                                                     const LayoutMetrics& metrics);

}  // namespace quelt::ui
