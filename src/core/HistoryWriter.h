#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "core/Conversation.h"
#include "core/HistoryStore.h"

namespace quelt::core {

// Stores messages in the histories on a thread of its own, so that no event of either protocol
// waits for a history file: what arrives while the thread writes is gathered and written a
// conversation at a time, each file opened and locked once per gathering. Reading and clearing
// a history first wait for what is queued for that conversation. Thread-safe.
class HistoryWriter {
 public:
  explicit HistoryWriter(HistoryTimings timings = {});
  // Writes what is still queued, then ends the thread.
  ~HistoryWriter();
  HistoryWriter(const HistoryWriter&) = delete;
  HistoryWriter& operator=(const HistoryWriter&) = delete;

  // Queues a message and returns; the sender is placed in the participant list now. Waits only
  // while a great many messages are queued already.
  void Append(const std::shared_ptr<Conversation>& conversation, const MessageTime& time, std::u16string_view senderId,
              std::u16string text);
  // A page of the history, once everything queued for the conversation is written.
  [[nodiscard]] std::optional<std::vector<HistoryMessage>> ReadPage(Conversation& conversation, uint32_t skip);
  // Messages by position from the oldest, once everything queued for the conversation is written.
  [[nodiscard]] std::optional<HistorySlice> ReadRecords(Conversation& conversation, uint64_t first, uint32_t count);
  // Clears the history once everything queued for it is written; as ClearHistory otherwise.
  [[nodiscard]] bool Clear(Conversation& conversation);
  // Waits until nothing queued for the conversation is left unwritten; false when timeoutMs passed.
  [[nodiscard]] bool Flush(const Conversation& conversation, uint32_t timeoutMs);

 private:
  struct Job {
    std::shared_ptr<Conversation> conversation;
    PendingMessage message;
  };
  void Run();
  void Write(std::vector<Job> jobs);

  const HistoryTimings timings_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Job> queue_;
  std::unordered_map<const Conversation*, size_t> unwritten_;  // queued or being written
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace quelt::core
