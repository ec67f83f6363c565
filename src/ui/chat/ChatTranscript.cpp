#include "ui/chat/ChatTranscript.h"

#include <algorithm>
#include <iterator>

namespace quelt::ui {

void ChatTranscript::LoadLatest() {
  Clear();
  const auto stored = reader_(0, 0);
  if (!stored || stored->total == 0) return;
  first_ = end_ = stored->total;
  (void)LoadOlder();
  // Whatever was stored between the two reads.
  (void)LoadNewer();
}

bool ChatTranscript::LoadOlder() {
  if (first_ == 0) return false;
  const uint64_t from = first_ > kPage ? first_ - kPage : 0;
  const auto slice = reader_(from, static_cast<uint32_t>(first_ - from));
  if (!slice) return false;
  messages_.insert(messages_.begin(), std::make_move_iterator(slice->messages.begin()),
                   std::make_move_iterator(slice->messages.end()));
  first_ = from;
  return true;
}

size_t ChatTranscript::LoadNewer() {
  size_t added = 0;
  while (true) {
    const auto slice = reader_(end_, kPage);
    if (slice && slice->total < end_) {
      // The history was deleted and begun again behind our back: start over from it.
      LoadLatest();
      return messages_.size();
    }
    if (!slice || slice->total == end_) return added;
    added += slice->messages.size();
    messages_.insert(messages_.end(), std::make_move_iterator(slice->messages.begin()),
                     std::make_move_iterator(slice->messages.end()));
    end_ = std::min<uint64_t>(slice->total, end_ + kPage);
  }
}

void ChatTranscript::Clear() {
  ++generation_;
  messages_.clear();
  first_ = end_ = 0;
}

}  // namespace quelt::ui
