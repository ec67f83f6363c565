#include "ui/chat/ChatMessageList.h"

#include <algorithm>

#include "core/MessageTime.h"
#include "platform/screen/Font.h"
#include "platform/screen/Image.h"
#include "resources/SmileyTable.h"
#include "ui/toolkit/Painter.h"

namespace quelt::ui {

using platform::Color;
using platform::Rect;

std::u16string MessageHeader(bool showTime, bool showNames, std::u16string_view time, std::u16string_view sender) {
  std::u16string header;
  if (showTime) header += time;
  if (showTime && showNames) header += u' ';
  if (showNames) header += sender;
  if (showTime || showNames) header += u':';
  return header;
}

ChatMessageList::ChatMessageList(ChatTranscript::Reader reader) : transcript_(std::move(reader)) {}

void ChatMessageList::SetStyle(ChatListStyle style) {
  style_ = std::move(style);
  Invalidate();
}

void ChatMessageList::Invalidate() {
  for (auto& laid : laid_) laid.reset();
}

void ChatMessageList::LoadLatest() {
  transcript_.LoadLatest();
  laid_.assign(Count(), std::nullopt);
  Unselect();
}

bool ChatMessageList::LoadNewer() {
  const uint64_t generation = transcript_.Generation();
  if (transcript_.LoadNewer() == 0) return false;
  if (transcript_.Generation() != generation) {
    laid_.assign(Count(), std::nullopt);
    Unselect();
  } else {
    laid_.resize(Count());
  }
  return true;
}

void ChatMessageList::Clear() {
  transcript_.Clear();
  laid_.clear();
  Unselect();
}

std::optional<std::u16string> ChatMessageList::SelectedLink() {
  if (!selected_ || link_ < 0) return std::nullopt;
  const Laid& laid = LaidOut(*selected_);
  const MessageItem& item = laid.items[laid.links[static_cast<size_t>(link_)]];
  return Message(*selected_).text.substr(item.start, item.length);
}

void ChatMessageList::SelectNewest() {
  if (Count() == 0) return Unselect();
  selected_ = Count() - 1;
  link_ = LinkCount(*selected_) - 1;
}

void ChatMessageList::Unselect() {
  selected_.reset();
  link_ = -1;
}

bool ChatMessageList::Up() {
  if (!selected_) return false;
  if (link_ > 0) {
    --link_;
    return true;
  }
  if (*selected_ == 0) {
    const size_t before = Count();
    if (!transcript_.LoadOlder() || Count() == before) return false;
    const size_t added = Count() - before;
    laid_.insert(laid_.begin(), added, std::nullopt);
    *selected_ += added;
  }
  --*selected_;
  link_ = LinkCount(*selected_) - 1;
  return true;
}

bool ChatMessageList::Down() {
  if (!selected_) return false;
  if (link_ + 1 < LinkCount(*selected_)) {
    ++link_;
    return true;
  }
  if (*selected_ + 1 >= Count()) return false;
  ++*selected_;
  link_ = LinkCount(*selected_) > 0 ? 0 : -1;
  return true;
}

const ChatMessageList::Laid& ChatMessageList::LaidOut(size_t index) {
  auto& slot = laid_[index];
  if (slot) return *slot;
  Laid laid;
  const core::HistoryMessage& message = Message(index);
  const platform::Font* font = style_.font.get();
  const int lineHeight = font ? font->Height() : 0;
  if (style_.showTime || style_.showNames) {
    const std::u16string sender =
        message.sender == 0 ? style_.you : (style_.senderName ? style_.senderName(message.sender) : std::u16string());
    laid.header = MessageHeader(style_.showTime, style_.showNames, core::FormatMessageTime(message.time), sender);
  }
  laid.items = SplitMessage(message.text, style_.smileys);
  const auto& smileys = style_.smileys;
  auto image = [smileys](size_t smiley) -> platform::Image* {
    const auto& all = smileys->Smileys();
    return smiley < all.size() && all[smiley].image && all[smiley].image->Decode() ? all[smiley].image.get() : nullptr;
  };
  const LayoutMetrics metrics{
      .width = std::max(1, width_),
      .lineHeight = lineHeight,
      .textWidth = [font](std::u16string_view text) { return font ? font->TextWidth(text) : 0; },
      .smileyWidth = [&image](size_t smiley) { return image(smiley) ? image(smiley)->Width() : 0; },
      .smileyHeight = [&image, lineHeight](
                          size_t smiley) { return std::max(lineHeight, image(smiley) ? image(smiley)->Height() : 0); }};
  laid.lines = LayOutMessage(message.text, laid.items, metrics);
  for (size_t i = 0; i < laid.items.size(); ++i) {
    if (laid.items[i].kind == MessageItem::Kind::Link) laid.links.push_back(i);
  }
  laid.height = laid.header.empty() ? 0 : lineHeight;
  for (const auto& line : laid.lines) laid.height += line.height;
  slot = std::move(laid);
  return *slot;
}

void ChatMessageList::Paint(Painter& painter, const Rect& area, const resources::SkinData::Chat& colours,
                            const FrameOf& frameOf) {
  visible_.clear();
  // One pixel is kept free on the right, where a selected message's frame runs.
  if (area.width - 1 != width_) {
    width_ = area.width - 1;
    Invalidate();
  }
  int total = 0;
  int selectedTop = 0;
  int selectedBottom = 0;
  for (size_t i = 0; i < Count(); ++i) {
    if (selected_ == i) selectedTop = total;
    total += LaidOut(i).height;
    if (selected_ == i) selectedBottom = total;
  }
  const int maxScroll = std::max(0, total - area.height);
  if (!selected_) {
    scroll_ = maxScroll;  // the newest in view
  } else if (selectedTop < scroll_ || selectedBottom - selectedTop > area.height) {
    scroll_ = selectedTop;
  } else if (selectedBottom > scroll_ + area.height) {
    scroll_ = selectedBottom - area.height;
  }
  scroll_ = std::clamp(scroll_, 0, maxScroll);

  Painter::Scope scope(painter, area);
  const platform::Font* font = style_.font.get();
  int y = -scroll_;
  for (size_t i = 0; i < Count() && y < area.height; ++i) {
    const Laid& laid = LaidOut(i);
    const int top = y;
    y += laid.height;
    if (y <= 0) continue;
    const bool selected = selected_ == i;
    const bool own = Message(i).sender == 0;
    const Color text = own ? (selected ? colours.ownSelected : colours.own).value_or(Color::FromRgb(0x0000FF))
                           : (selected ? colours.buddySelected : colours.buddy).value_or(Color::FromRgb(0xFF0000));
    if (selected) {
      const Rect box{0, top, area.width, laid.height};
      if (colours.selectedMessageFill) painter.Fill(box, *colours.selectedMessageFill);
      if (colours.selectedBorder) painter.Frame(box, *colours.selectedBorder);
    }
    int lineTop = top;
    if (!laid.header.empty() && font) {
      painter.Text(*font, 0, lineTop, laid.header, text);
      lineTop += font->Height();
    }
    const std::u16string& message = Message(i).text;
    const size_t selectedLink = selected && link_ >= 0 ? laid.links[static_cast<size_t>(link_)] : laid.items.size();
    for (const auto& line : laid.lines) {
      for (const auto& piece : line.pieces) {
        const MessageItem& item = laid.items[piece.item];
        if (item.kind == MessageItem::Kind::Smiley) {
          const auto& image = style_.smileys->Smileys()[item.smiley].image;
          if (!image || !image->Decode()) continue;
          const int bottom = lineTop + line.height;
          if (bottom > 0 && bottom - image->Height() < area.height &&
              std::find(visible_.begin(), visible_.end(), image) == visible_.end()) {
            visible_.push_back(image);
          }
          painter.Image(*image, piece.x, bottom - image->Height(), frameOf ? frameOf(image) : 0);
          continue;
        }
        if (!font || item.kind == MessageItem::Kind::Space || item.kind == MessageItem::Kind::LineBreak) continue;
        Color colour = text;
        const int textTop = lineTop + line.height - font->Height();
        if (piece.item == selectedLink) {
          if (colours.selectedLinkFill) {
            painter.Fill({piece.x, textTop, piece.width, font->Height()}, *colours.selectedLinkFill);
          }
          colour = colours.selectedLinkText.value_or(Color::FromRgb(0xFFFF00));
        }
        painter.Text(*font, piece.x, textTop, std::u16string_view(message).substr(piece.start, piece.length), colour);
      }
      lineTop += line.height;
    }
  }
}

}  // namespace quelt::ui
