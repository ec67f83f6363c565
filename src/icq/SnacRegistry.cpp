#include "icq/SnacRegistry.h"

#include <array>
#include <unordered_map>

#include "icq/ReceivedCommands.h"

namespace quelt::icq {

namespace {

struct SnacPair {
  uint16_t family;
  uint16_t subtype;
};

// Indexed by kind - 1.
constexpr std::array<SnacPair, kSnacKindCount> kPairs{{
    {0x01, 0x01}, {0x01, 0x02}, {0x01, 0x03}, {0x01, 0x04}, {0x01, 0x06}, {0x01, 0x07}, {0x01, 0x08}, {0x01, 0x0E},
    {0x01, 0x0F}, {0x01, 0x11}, {0x01, 0x13}, {0x01, 0x17}, {0x01, 0x18}, {0x01, 0x1E}, {0x02, 0x02}, {0x02, 0x03},
    {0x02, 0x04}, {0x03, 0x02}, {0x03, 0x03}, {0x03, 0x04}, {0x03, 0x05}, {0x03, 0x0B}, {0x03, 0x0C}, {0x04, 0x02},
    {0x04, 0x04}, {0x04, 0x05}, {0x04, 0x06}, {0x04, 0x07}, {0x04, 0x0B}, {0x04, 0x0C}, {0x04, 0x14}, {0x07, 0x02},
    {0x07, 0x03}, {0x09, 0x02}, {0x09, 0x03}, {0x0B, 0x02}, {0x13, 0x02}, {0x13, 0x03}, {0x13, 0x05}, {0x13, 0x06},
    {0x13, 0x07}, {0x13, 0x08}, {0x13, 0x09}, {0x13, 0x0A}, {0x13, 0x0E}, {0x13, 0x0F}, {0x13, 0x11}, {0x13, 0x12},
    {0x13, 0x18}, {0x13, 0x19}, {0x13, 0x1A}, {0x13, 0x1B}, {0x13, 0x1C}, {0x15, 0x01}, {0x15, 0x02}, {0x15, 0x03},
}};

constexpr uint32_t Key(uint16_t family, uint16_t subtype) { return (uint32_t{family} << 16) | subtype; }

const std::unordered_map<uint32_t, SnacKind>& ReverseMap() {
  static const std::unordered_map<uint32_t, SnacKind> map = [] {
    std::unordered_map<uint32_t, SnacKind> filled;
    for (size_t i = 0; i < kPairs.size(); ++i) {
      filled.emplace(Key(kPairs[i].family, kPairs[i].subtype), static_cast<SnacKind>(i + 1));
    }
    return filled;
  }();
  return map;
}

}  // namespace

std::optional<std::pair<uint16_t, uint16_t>> SnacRegistry::PairOf(SnacKind kind) {
  const int number = static_cast<int>(kind);
  if (number < 1 || number > kSnacKindCount) return std::nullopt;
  const SnacPair& pair = kPairs[static_cast<size_t>(number - 1)];
  return std::pair{pair.family, pair.subtype};
}

SnacKind SnacRegistry::KindOf(uint16_t family, uint16_t subtype) {
  const auto& map = ReverseMap();
  const auto found = map.find(Key(family, subtype));
  return found == map.end() ? SnacKind::Unknown : found->second;
}

SnacPtr SnacRegistry::MakeReceived(const SnacHeader& header, std::span<const uint8_t> data) {
  const SnacKind kind = KindOf(header.family, header.subtype);
  switch (kind) {
    case SnacKind::ServiceError: return std::make_shared<ServiceErrorSnac>(header, data);
    case SnacKind::FamilyList: return std::make_shared<FamilyListSnac>(header, data);
    case SnacKind::RateLimitClasses: return std::make_shared<RateLimitClassesSnac>(header, data);
    case SnacKind::ServerVersions: return std::make_shared<ServerVersionsSnac>(header, data);
    default: return std::make_shared<SnacCommand>(header, kind, std::vector<uint8_t>(data.begin(), data.end()));
  }
}

}  // namespace quelt::icq
