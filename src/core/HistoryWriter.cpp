#include "core/HistoryWriter.h"

#include <algorithm>
#include <chrono>

#include "platform/Log.h"
#include "platform/OutOfMemory.h"

namespace quelt::core {
namespace {

// Beyond this, appending waits for the writer: memory stays bounded when a disk stalls.
constexpr size_t kMaxQueued = 10000;
// Reads and clearing wait this long for queued messages: longer than one locked file's wait.
constexpr uint32_t kFlushWaitMs = 10000;

}  // namespace

HistoryWriter::HistoryWriter(HistoryTimings timings)
    : timings_(timings), thread_([this] { platform::GuardOutOfMemory([this] { Run(); }); }) {}

HistoryWriter::~HistoryWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void HistoryWriter::Append(const std::shared_ptr<Conversation>& conversation, const MessageTime& time,
                           std::u16string_view senderId, std::u16string text) {
  if (!conversation) return;
  Job job{conversation, {time, conversation->SenderPosition(senderId), std::move(text)}};
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return queue_.size() < kMaxQueued || stopping_; });
    ++unwritten_[conversation.get()];
    queue_.push_back(std::move(job));
  }
  changed_.notify_all();
}

bool HistoryWriter::Flush(const Conversation& conversation, uint32_t timeoutMs) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return !unwritten_.contains(&conversation); });
}

std::optional<std::vector<HistoryMessage>> HistoryWriter::ReadPage(Conversation& conversation, uint32_t skip) {
  if (!Flush(conversation, kFlushWaitMs)) platform::Log("history: reading before the queued messages are written");
  return core::ReadPage(conversation, skip, timings_);
}

std::optional<HistorySlice> HistoryWriter::ReadRecords(Conversation& conversation, uint64_t first, uint32_t count) {
  if (!Flush(conversation, kFlushWaitMs)) platform::Log("history: reading before the queued messages are written");
  return core::ReadRecords(conversation, first, count, timings_);
}

bool HistoryWriter::Clear(Conversation& conversation) {
  // Clearing before the queued messages are in would leave those behind in a "cleared" history.
  if (!Flush(conversation, kFlushWaitMs)) return false;
  return ClearHistory(conversation, timings_);
}

void HistoryWriter::Run() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [&] { return !queue_.empty() || stopping_; });
    if (queue_.empty()) return;
    std::vector<Job> jobs;
    jobs.swap(queue_);
    lock.unlock();
    changed_.notify_all();  // room in the queue again
    Write(std::move(jobs));
    lock.lock();
  }
}

void HistoryWriter::Write(std::vector<Job> jobs) {
  // A conversation at a time, in the order each first appears; its messages keep their order.
  std::vector<std::pair<std::shared_ptr<Conversation>, std::vector<PendingMessage>>> batches;
  for (Job& job : jobs) {
    auto batch = std::find_if(batches.begin(), batches.end(),
                              [&](const auto& entry) { return entry.first == job.conversation; });
    if (batch == batches.end()) batch = batches.insert(batches.end(), {job.conversation, {}});
    batch->second.push_back(std::move(job.message));
  }
  for (auto& [conversation, messages] : batches) {
    if (!AppendMessages(*conversation, messages, timings_)) {
      platform::Log("history: could not store %zu message(s)", messages.size());
    }
    {
      std::lock_guard lock(mutex_);
      auto unwritten = unwritten_.find(conversation.get());
      if (unwritten != unwritten_.end() && (unwritten->second -= messages.size()) == 0) unwritten_.erase(unwritten);
    }
    changed_.notify_all();
  }
}

}  // namespace quelt::core
