#include "icq/IcqListAssembly.h"

#include "platform/Log.h"

namespace quelt::icq {

void IcqListAssembly::Restart(uint64_t connection) {
  connection_ = connection;
  items_.clear();
  bytes_ = 0;
  refused_ = false;
}

std::optional<AssembledList> IcqListAssembly::Add(uint64_t connection, std::span<const uint8_t> data, bool last) {
  if (connection != connection_) Restart(connection);
  const auto part = ParseListPart(data, last);
  bytes_ += data.size();
  if (part) items_.insert(items_.end(), part->items.begin(), part->items.end());
  if (!refused_ && (items_.size() > limits_.maxItems || bytes_ > limits_.maxBytes)) {
    platform::Log("ICQ: the server's list passed %zu items or %zu bytes; it is not taken", limits_.maxItems,
                  limits_.maxBytes);
    refused_ = true;
  }
  // A refused list keeps nothing but its count of bytes until its last part ends it.
  if (refused_) items_.clear();
  if (!last) return std::nullopt;
  AssembledList list{std::move(items_), part && part->modificationDate ? *part->modificationDate : 0};
  const bool taken = part.has_value() && !refused_;
  Restart(connection);
  if (!taken) return std::nullopt;
  return list;
}

}  // namespace quelt::icq
