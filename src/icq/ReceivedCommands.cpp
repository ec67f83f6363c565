#include "icq/ReceivedCommands.h"

#include <algorithm>

#include "icq/ByteReader.h"

namespace quelt::icq {

namespace {

std::vector<uint8_t> Copy(std::span<const uint8_t> data) { return {data.begin(), data.end()}; }

// A rate class record: id, window size, the clear, alert, limit and disconnect levels, the
// current and maximum levels, the last time (32-bit each) and the current state (8-bit).
constexpr size_t kRateClassRecordSize = 35;

}  // namespace

FamilyListSnac::FamilyListSnac(SnacHeader header, std::span<const uint8_t> data)
    : SnacCommand(header, SnacKind::FamilyList, Copy(data)) {
  ByteReader reader(data);
  families_.reserve(reader.Remaining() / 2);
  while (reader.Remaining() >= 2) families_.push_back(reader.U16());
}

// The class records come first, each led by its id; the member lists of each class follow
// them and are not needed to acknowledge the classes.
RateLimitClassesSnac::RateLimitClassesSnac(SnacHeader header, std::span<const uint8_t> data)
    : SnacCommand(header, SnacKind::RateLimitClasses, Copy(data)) {
  ByteReader reader(data);
  classCount_ = reader.U16();
  classIds_.reserve(std::min<size_t>(classCount_, reader.Remaining() / kRateClassRecordSize));
  for (uint16_t i = 0; i < classCount_ && reader.Remaining() >= kRateClassRecordSize; ++i) {
    classIds_.push_back(reader.U16());
    reader.Skip(kRateClassRecordSize - 2);
  }
}

ServerVersionsSnac::ServerVersionsSnac(SnacHeader header, std::span<const uint8_t> data)
    : SnacCommand(header, SnacKind::ServerVersions, Copy(data)) {
  ByteReader reader(data);
  versions_.reserve(reader.Remaining() / 4);
  while (reader.Remaining() >= 4) {
    const uint16_t family = reader.U16();
    versions_.emplace_back(family, reader.U16());
  }
}

ServiceErrorSnac::ServiceErrorSnac(SnacHeader header, std::span<const uint8_t> data)
    : SnacCommand(header, SnacKind::ServiceError, Copy(data)) {
  ByteReader reader(data);
  errorCode_ = reader.U16();
}

}  // namespace quelt::icq
