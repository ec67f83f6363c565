// A list part is arbitrary bytes, read both as a middle and as a last part. Items must come from
// within the bytes and survive being written and read again; applying them and saving the list
// must give a cache that reads back, and whose text settles after one round trip. The bytes are
// also read as the authorization commands of the same family.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "icq/ByteWriter.h"
#include "icq/IcqAuthorization.h"
#include "icq/IcqCache.h"
#include "icq/IcqContactList.h"
#include "icq/IcqListItem.h"

namespace {

using namespace quelt::icq;

bool SameItems(const std::vector<IcqListItem>& a, const std::vector<IcqListItem>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].name != b[i].name || a[i].groupId != b[i].groupId || a[i].itemId != b[i].itemId ||
        a[i].type != b[i].type || a[i].data.Items() != b[i].data.Items()) {
      return false;
    }
  }
  return true;
}

std::vector<uint8_t> SaveAndReload(const std::vector<uint8_t>& cache) {
  const auto parsed = ParseCache(cache);
  if (!parsed) std::abort();  // our own output always reads back
  return SerializeCache(*parsed);
}

void Check(std::span<const uint8_t> data, bool last) {
  const auto part = ParseListPart(data, last);
  if (part.has_value() != (data.size() >= 3)) std::abort();
  if (!part) return;
  if (part->modificationDate.has_value() != (last && data.size() >= 7)) std::abort();
  ByteWriter written;
  written.U8(part->version).U16(part->announcedCount);
  for (const IcqListItem& item : part->items) item.Serialize(written);
  const size_t body = data.size() - (part->modificationDate ? 4 : 0);
  if (written.Bytes().size() > body) std::abort();
  if (part->modificationDate) written.U32(*part->modificationDate);
  const auto again = ParseListPart(written.Bytes(), last);
  if (!again || !SameItems(again->items, part->items) || again->modificationDate != part->modificationDate) {
    std::abort();
  }

  IcqContactList list;
  list.Reset({}, {{1, u"cached"}}, {IcqContact{.uin = "1", .itemId = 50, .groupId = 1}});
  list.Apply(part->items, part->modificationDate.value_or(0));
  if (list.State().itemCount != static_cast<uint16_t>(part->items.size())) std::abort();
  for (const IcqGroup& group : list.Groups()) {
    if (group.id == 0) std::abort();
  }
  auto [state, groups, contacts] = list.Snapshot();
  const auto first = SerializeCache(IcqCacheContents{state, groups, contacts});
  const auto second = SaveAndReload(first);
  if (SaveAndReload(second) != second) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFF) return 0;
  const std::span<const uint8_t> bytes(data, size);
  Check(bytes, false);
  Check(bytes, true);
  const size_t uinEnd = size == 0 ? 0 : 1 + size_t{data[0]};
  const auto request = ParseAuthorizationRequest(bytes);
  if (request && (request->uin.empty() || request->uin.size() != uinEnd - 1 || uinEnd > size)) std::abort();
  const auto reply = ParseAuthorizationReply(bytes);
  if (reply && reply->granted && (uinEnd >= size || data[uinEnd] != 1)) std::abort();
  const std::string added = ParseYouWereAdded(bytes);
  if (!added.empty() && (uinEnd > size || added.size() != uinEnd - 1)) std::abort();
  return 0;
}
