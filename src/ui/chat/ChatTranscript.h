#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

#include "core/HistoryStore.h"

namespace quelt::ui {

// The messages a chat window shows, oldest first: the newest page when the chat opens, older
// pages as the user moves up past the oldest, and what was stored since as it arrives. Messages
// are found by their position from the oldest, which appending does not move.
class ChatTranscript {
 public:
  static constexpr uint32_t kPage = 10;
  // Reads the messages at positions [first, first + count) and how many are stored.
  using Reader = std::function<std::optional<core::HistorySlice>(uint64_t first, uint32_t count)>;

  explicit ChatTranscript(Reader reader) : reader_(std::move(reader)) {}

  // Forgets what was loaded and reads the newest page.
  void LoadLatest();
  // Puts the page before the oldest loaded message in front; false at the start of the history.
  bool LoadOlder();
  // Appends what was stored after the newest loaded message; how many messages came.
  size_t LoadNewer();
  // After the history was deleted.
  void Clear();

  [[nodiscard]] const std::deque<core::HistoryMessage>& Messages() const { return messages_; }
  [[nodiscard]] bool AtStart() const { return first_ == 0; }
  // Changes whenever the messages are read afresh rather than added to.
  [[nodiscard]] uint64_t Generation() const { return generation_; }

 private:
  Reader reader_;
  std::deque<core::HistoryMessage> messages_;
  uint64_t first_ = 0;  // positions [first_, end_) are loaded
  uint64_t end_ = 0;
  uint64_t generation_ = 0;
};

}  // namespace quelt::ui
