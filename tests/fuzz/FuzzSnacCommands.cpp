// SNAC data is arbitrary. The first four bytes pick the command: a registered kind when the top
// bit is set, else the family and subtype as they are; the rest is the data. The data is also
// read as every registered kind. Each command keeps its data whole and reads nothing beyond it.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "icq/ByteWriter.h"
#include "icq/FlapFrame.h"
#include "icq/ReceivedCommands.h"
#include "icq/SnacRegistry.h"

namespace {

using namespace quelt::icq;

void Check(uint16_t family, uint16_t subtype, std::span<const uint8_t> data) {
  const SnacPtr snac = SnacRegistry::MakeReceived({family, subtype, 0, 0x12345678}, data);
  if (snac->Kind() != SnacRegistry::KindOf(family, subtype) || snac->Family() != family || snac->Subtype() != subtype ||
      !std::equal(data.begin(), data.end(), snac->Data().begin(), snac->Data().end())) {
    std::abort();
  }
  if (const auto* rates = dynamic_cast<const RateLimitClassesSnac*>(snac.get())) {
    if (rates->ClassIds().size() > rates->ClassCount() ||
        (!rates->ClassIds().empty() && 2 + rates->ClassIds().size() * 35 > data.size())) {
      std::abort();
    }
  } else if (const auto* families = dynamic_cast<const FamilyListSnac*>(snac.get())) {
    if (families->Families().size() != data.size() / 2) std::abort();
  } else if (const auto* versions = dynamic_cast<const ServerVersionsSnac*>(snac.get())) {
    if (versions->Versions().size() != data.size() / 4) std::abort();
  } else if (const auto* error = dynamic_cast<const ServiceErrorSnac*>(snac.get())) {
    if (data.size() < 2 && error->ErrorCode() != 0) std::abort();
  }

  ByteWriter written;
  snac->Serialize(written);
  if (written.Bytes().size() != 10 + data.size()) std::abort();
  const FramePtr frame = FlapFrame::ForSnac(snac);
  if (frame == nullptr) std::abort();  // the data came from a frame, so it fits in one
  std::vector<uint8_t> bytes;
  frame->Serialize(0, bytes);
  const FramePtr again = CutFrame(bytes, 0).frame;
  if (again == nullptr || again->Snac() == nullptr || again->Snac()->Data() != snac->Data()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4 || size > 0xFFFF - 10) return 0;
  const std::span<const uint8_t> rest(data + 4, size - 4);
  uint16_t family = static_cast<uint16_t>((data[0] << 8) | data[1]);
  uint16_t subtype = static_cast<uint16_t>((data[2] << 8) | data[3]);
  if ((data[0] & 0x80) != 0) {
    const auto pair = SnacRegistry::PairOf(static_cast<SnacKind>(1 + (subtype % kSnacKindCount)));
    family = pair->first;
    subtype = pair->second;
  }
  Check(family, subtype, rest);
  for (int kind = 1; kind <= kSnacKindCount; ++kind) {
    const auto pair = SnacRegistry::PairOf(static_cast<SnacKind>(kind));
    Check(pair->first, pair->second, rest);
  }
  return 0;
}
