#include "ui/chat/MessageLayout.h"

#include <algorithm>

namespace quelt::ui {
namespace {

bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

class LineBuilder {
 public:
  LineBuilder(const LayoutMetrics& metrics, std::vector<MessageLine>& lines) : metrics_(metrics), lines_(lines) {
    Open();
  }

  [[nodiscard]] int Room() const { return metrics_.width - x_; }
  [[nodiscard]] bool Empty() const { return lines_.back().pieces.empty(); }
  [[nodiscard]] bool Wrapped() const { return wrapped_; }

  void Place(LinePiece piece, int height) {
    piece.x = x_;
    x_ += piece.width;
    lines_.back().height = std::max(lines_.back().height, height);
    lines_.back().pieces.push_back(piece);
  }
  void Break(bool wrapped) {
    Open();
    wrapped_ = wrapped;
  }

 private:
  void Open() {
    lines_.push_back({metrics_.lineHeight, {}});
    x_ = 0;
  }

  const LayoutMetrics& metrics_;
  std::vector<MessageLine>& lines_;
  int x_ = 0;
  bool wrapped_ = false;  // the open line continues the one above
};

// The longest start of `text` no wider than `room`, without splitting a surrogate pair.
size_t FittingLength(std::u16string_view text, int room, const LayoutMetrics& metrics) {
  size_t low = 0;
  size_t high = text.size();
  while (low < high) {
    const size_t middle = (low + high + 1) / 2;
    if (metrics.textWidth(text.substr(0, middle)) <= room) {
      low = middle;
    } else {
      high = middle - 1;
    }
  }
  while (low > 0 && low < text.size() && IsLowSurrogate(text[low])) --low;
  return low;
}

}  // namespace

std::vector<MessageLine> LayOutMessage(std::u16string_view text, std::span<const MessageItem> items,
                                       const LayoutMetrics& metrics) {
  using Kind = MessageItem::Kind;
  std::vector<MessageLine> lines;
  LineBuilder line(metrics, lines);
  for (size_t index = 0; index < items.size(); ++index) {
    const MessageItem& item = items[index];
    switch (item.kind) {
      case Kind::LineBreak: line.Break(false); break;
      case Kind::Space: {
        if (line.Empty() && line.Wrapped()) break;
        const int width = metrics.textWidth(text.substr(item.start, item.length));
        if (width > line.Room()) {
          line.Break(true);
        } else {
          line.Place({index, item.start, item.length, 0, width}, metrics.lineHeight);
        }
        break;
      }
      case Kind::Smiley: {
        const int width = metrics.smileyWidth(item.smiley);
        if (width > line.Room() && !line.Empty()) line.Break(true);
        line.Place({index, item.start, item.length, 0, width}, metrics.smileyHeight(item.smiley));
        break;
      }
      case Kind::Text:
      case Kind::Link: {
        std::u16string_view rest = text.substr(item.start, item.length);
        size_t start = item.start;
        int width = metrics.textWidth(rest);
        if (width > line.Room() && !line.Empty() && width <= metrics.width) line.Break(true);
        while (!rest.empty() && width > line.Room()) {
          // Wider than what is left even of a fresh line: break between characters.
          size_t fits = FittingLength(rest, line.Room(), metrics);
          if (fits == 0) {
            if (!line.Empty()) {
              line.Break(true);
              continue;
            }
            fits = rest.size() > 1 && IsLowSurrogate(rest[1]) ? 2 : 1;  // wider than a line on its own
          }
          line.Place({index, start, fits, 0, metrics.textWidth(rest.substr(0, fits))}, metrics.lineHeight);
          rest.remove_prefix(fits);
          start += fits;
          if (rest.empty()) break;
          line.Break(true);
          width = metrics.textWidth(rest);
        }
        if (!rest.empty()) line.Place({index, start, rest.size(), 0, width}, metrics.lineHeight);
        break;
      }
    }
  }
  return lines;
}

}  // namespace quelt::ui
