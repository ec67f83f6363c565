#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/Conversation.h"
#include "core/MessageTime.h"

namespace quelt::core {

// One message read back from a history.
struct HistoryMessage {
  MessageTime time;
  uint8_t sender = 0;  // position in the participant list, 255 when unknown
  std::u16string text;

  bool operator==(const HistoryMessage&) const = default;
};

// How long an operation waits for a history file that another thread or process is using: it
// tries again every lockRetryMs and gives up after lockWaitLimitMs.
struct HistoryTimings {
  uint32_t lockRetryMs = 500;
  uint32_t lockWaitLimitMs = 5000;
};

// One message to store, its sender already placed in the participant list.
struct PendingMessage {
  MessageTime time;
  uint8_t sender = 0;
  std::u16string text;
};

// Appends messages, in order, to the conversation's text and index files, creating the account
// folder (one level) and the files when missing; each file is opened and locked once for all of
// them. Either every message is stored or, on failure, none; false also when a file stayed locked
// for the whole wait.
[[nodiscard]] bool AppendMessages(Conversation& conversation, std::span<const PendingMessage> messages,
                                  const HistoryTimings& timings = {});
// One message, its sender placed now.
[[nodiscard]] bool AppendMessage(Conversation& conversation, const MessageTime& time, std::u16string_view senderId,
                                 std::u16string_view text, const HistoryTimings& timings = {});

// Up to ten messages, newest first, just older than the `skip` newest ones. Records that point
// outside the text file are left out. Nothing when the history is missing, the page is empty or
// the files cannot be read.
[[nodiscard]] std::optional<std::vector<HistoryMessage>> ReadPage(Conversation& conversation, uint32_t skip,
                                                                  const HistoryTimings& timings = {});

// Messages counted from the oldest stored one, and how many the history held as they were read:
// positions from the start stay put while messages are appended, unlike pages counted from the
// newest.
struct HistorySlice {
  uint64_t total = 0;
  std::vector<HistoryMessage> messages;  // oldest first
};
// The messages at positions [first, first + count), those that point outside the text file left
// out. Nothing when the history is missing or cannot be read.
[[nodiscard]] std::optional<HistorySlice> ReadRecords(Conversation& conversation, uint64_t first, uint32_t count,
                                                      const HistoryTimings& timings = {});

// Deletes the conversation's history files; a multi-party conversation writes its participants
// again with the next append. False, and nothing deleted, when a file stayed locked (a message
// being stored) for the whole wait.
[[nodiscard]] bool ClearHistory(Conversation& conversation, const HistoryTimings& timings = {});

}  // namespace quelt::core
