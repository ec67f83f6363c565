#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "icq/SnacCommand.h"

namespace quelt::icq {

// Received commands whose fields the engine reads. Each reads what it needs from the data when
// built and keeps only what was wholly present; Complete() tells whether every field was there.
// Kinds the engine only recognises (rights replies, list unchanged, ...) stay plain SnacCommands.

// 0x01,0x03: the families the server offers.
class FamilyListSnac final : public SnacCommand {
 public:
  FamilyListSnac(SnacHeader header, std::span<const uint8_t> data);
  [[nodiscard]] const std::vector<uint16_t>& Families() const { return families_; }

 private:
  std::vector<uint16_t> families_;
};

// 0x01,0x07: the rate-limit classes; only their ids are used (to acknowledge them).
class RateLimitClassesSnac final : public SnacCommand {
 public:
  RateLimitClassesSnac(SnacHeader header, std::span<const uint8_t> data);
  // The class count as announced, and the ids that were wholly present.
  [[nodiscard]] uint16_t ClassCount() const { return classCount_; }
  [[nodiscard]] const std::vector<uint16_t>& ClassIds() const { return classIds_; }
  [[nodiscard]] bool Complete() const { return classIds_.size() == classCount_; }

 private:
  uint16_t classCount_ = 0;
  std::vector<uint16_t> classIds_;
};

// 0x01,0x18: the server's family versions, as (family, version) pairs.
class ServerVersionsSnac final : public SnacCommand {
 public:
  ServerVersionsSnac(SnacHeader header, std::span<const uint8_t> data);
  [[nodiscard]] const std::vector<std::pair<uint16_t, uint16_t>>& Versions() const { return versions_; }

 private:
  std::vector<std::pair<uint16_t, uint16_t>> versions_;
};

// 0x01,0x01: a service error; the code when the data holds one.
class ServiceErrorSnac final : public SnacCommand {
 public:
  ServiceErrorSnac(SnacHeader header, std::span<const uint8_t> data);
  [[nodiscard]] uint16_t ErrorCode() const { return errorCode_; }

 private:
  uint16_t errorCode_ = 0;
};

}  // namespace quelt::icq
