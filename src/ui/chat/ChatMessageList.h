#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/screen/Geometry.h"
#include "resources/SkinData.h"
#include "ui/chat/ChatTranscript.h"
#include "ui/chat/MessageLayout.h"

namespace quelt::platform {
class Font;
class Image;
}
namespace quelt::resources {
class SmileyTable;
}

namespace quelt::ui {

class Painter;

// What the layout of the messages depends on; a change lays every message out again.
struct ChatListStyle {
  std::shared_ptr<platform::Font> font;
  const resources::SmileyTable* smileys = nullptr;  // loaded; null for none
  bool showTime = false;
  bool showNames = false;
  std::u16string you;  // the name of the account's own messages
  // A participant's display name by position; empty when unknown.
  std::function<std::u16string(uint8_t sender)> senderName;
};

// The first line of a message, by whether times and names are shown; empty for none.
[[nodiscard]] std::u16string MessageHeader(bool showTime, bool showNames, std::u16string_view time,
                                           std::u16string_view sender);

// A chat window's message list: the transcript's messages laid out at the list's width (each
// once, until the width or the style changes), the selected message and link, and the scrolling
// that keeps the selection in view. Main thread.
class ChatMessageList {
 public:
  explicit ChatMessageList(ChatTranscript::Reader reader);

  void SetStyle(ChatListStyle style);
  [[nodiscard]] const ChatListStyle& Style() const { return style_; }

  void LoadLatest();
  // Appends what was stored since; true when something came.
  bool LoadNewer();
  void Clear();
  [[nodiscard]] size_t Count() const { return transcript_.Messages().size(); }
  [[nodiscard]] const core::HistoryMessage& Message(size_t index) const { return transcript_.Messages()[index]; }

  // The selection: a message and, within it, a link or none.
  [[nodiscard]] std::optional<size_t> Selected() const { return selected_; }
  [[nodiscard]] int SelectedLinkIndex() const { return link_; }
  [[nodiscard]] std::optional<std::u16string> SelectedLink();
  // The newest message with its last link.
  void SelectNewest();
  void Unselect();
  // The previous link, then the previous message with its last link, paging older messages in;
  // false at the start of the history.
  bool Up();
  // The next link, then the next message with its first; false at the newest.
  bool Down();

  // `frameOf` gives the frame to draw of an animated picture.
  using FrameOf = std::function<int(const std::shared_ptr<platform::Image>&)>;
  void Paint(Painter& painter, const platform::Rect& area, const resources::SkinData::Chat& colours,
             const FrameOf& frameOf = nullptr);
  // The smiley pictures the last paint showed, each once.
  [[nodiscard]] const std::vector<std::shared_ptr<platform::Image>>& VisibleImages() const { return visible_; }

 private:
  struct Laid {
    std::u16string header;
    std::vector<MessageItem> items;
    std::vector<MessageLine> lines;
    std::vector<size_t> links;  // the items that are links
    int height = 0;
  };
  const Laid& LaidOut(size_t index);
  [[nodiscard]] int LinkCount(size_t index) { return static_cast<int>(LaidOut(index).links.size()); }
  void Invalidate();

  ChatTranscript transcript_;
  ChatListStyle style_;
  int width_ = 0;
  std::deque<std::optional<Laid>> laid_;  // beside the transcript's messages
  std::optional<size_t> selected_;
  int link_ = -1;
  int scroll_ = 0;  // from the top of the first message to the top of the area
  std::vector<std::shared_ptr<platform::Image>> visible_;
};

}  // namespace quelt::ui
