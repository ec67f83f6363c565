#include "icq/SnacRegistry.h"

#include <iterator>
#include <unordered_map>

#include "icq/ReceivedCommands.h"

namespace quelt::icq {

namespace {

struct SnacEntry {
  SnacKind kind;
  uint16_t family;
  uint16_t subtype;
};

// Every kind the engine knows, with its family and subtype; "in" and "out" say which way it goes.
constexpr SnacEntry kEntries[] = {
    {SnacKind::ServiceError, 0x01, 0x01},  // in
    {SnacKind::ClientReady, 0x01, 0x02},   // out
    {SnacKind::FamilyList, 0x01, 0x03},    // in
    {SnacKind::NewServiceRequest, 0x01, 0x04},
    {SnacKind::RateLimitsRequest, 0x01, 0x06},  // out
    {SnacKind::RateLimitClasses, 0x01, 0x07},   // in
    {SnacKind::RateLimitsAck, 0x01, 0x08},      // out
    {SnacKind::OwnInfoRequest, 0x01, 0x0E},
    {SnacKind::OwnInfo, 0x01, 0x0F},  // in
    {SnacKind::IdleTime, 0x01, 0x11},
    {SnacKind::MessageOfTheDay, 0x01, 0x13},        // in
    {SnacKind::ClientVersions, 0x01, 0x17},         // out
    {SnacKind::ServerVersions, 0x01, 0x18},         // in
    {SnacKind::SetStatus, 0x01, 0x1E},              // out
    {SnacKind::LocationRightsRequest, 0x02, 0x02},  // out
    {SnacKind::LocationRights, 0x02, 0x03},         // in
    {SnacKind::SetLocationInfo, 0x02, 0x04},        // out
    {SnacKind::BuddyRightsRequest, 0x03, 0x02},     // out
    {SnacKind::BuddyRights, 0x03, 0x03},            // in
    {SnacKind::AddBuddies, 0x03, 0x04},             // out
    {SnacKind::RemoveBuddies, 0x03, 0x05},
    {SnacKind::ContactOnline, 0x03, 0x0B},             // in
    {SnacKind::ContactOffline, 0x03, 0x0C},            // in
    {SnacKind::SetMessageParameters, 0x04, 0x02},      // out
    {SnacKind::MessageParametersRequest, 0x04, 0x04},  // out
    {SnacKind::MessageParameters, 0x04, 0x05},         // in
    {SnacKind::SendMessage, 0x04, 0x06},               // out
    {SnacKind::IncomingMessage, 0x04, 0x07},           // in
    {SnacKind::MessageAck, 0x04, 0x0B},                // out
    {SnacKind::ServerMessageAck, 0x04, 0x0C},          // in
    {SnacKind::TypingNotification, 0x04, 0x14},        // in/out
    {SnacKind::AccountInfoRequest, 0x07, 0x02},
    {SnacKind::AccountInfoReply, 0x07, 0x03},      // in
    {SnacKind::PrivacyRightsRequest, 0x09, 0x02},  // out
    {SnacKind::PrivacyRights, 0x09, 0x03},         // in
    {SnacKind::StatisticsInterval, 0x0B, 0x02},    // in
    {SnacKind::ListRightsRequest, 0x13, 0x02},     // out
    {SnacKind::ListRights, 0x13, 0x03},            // in
    {SnacKind::ListCheck, 0x13, 0x05},             // out
    {SnacKind::ContactList, 0x13, 0x06},           // in
    {SnacKind::ActivateList, 0x13, 0x07},          // out
    {SnacKind::AddItem, 0x13, 0x08},               // out
    {SnacKind::UpdateItem, 0x13, 0x09},            // out
    {SnacKind::DeleteItem, 0x13, 0x0A},            // out
    {SnacKind::ItemAck, 0x13, 0x0E},               // in
    {SnacKind::ListUnchanged, 0x13, 0x0F},         // in
    {SnacKind::BeginEdit, 0x13, 0x11},             // out
    {SnacKind::EndEdit, 0x13, 0x12},               // out
    {SnacKind::RequestAuthorization, 0x13, 0x18},  // out
    {SnacKind::AuthorizationRequest, 0x13, 0x19},  // in
    {SnacKind::AuthorizationReply, 0x13, 0x1A},    // out
    {SnacKind::AuthorizationReplyIn, 0x13, 0x1B},  // in
    {SnacKind::YouWereAdded, 0x13, 0x1C},          // in
    {SnacKind::MetaError, 0x15, 0x01},             // in
    {SnacKind::MetaRequest, 0x15, 0x02},           // out
    {SnacKind::MetaReply, 0x15, 0x03},             // in
};
static_assert(std::size(kEntries) == kSnacKindCount);

constexpr uint32_t Key(uint16_t family, uint16_t subtype) { return (uint32_t{family} << 16) | subtype; }

const std::unordered_map<uint32_t, SnacKind>& ReverseMap() {
  static const std::unordered_map<uint32_t, SnacKind> map = [] {
    std::unordered_map<uint32_t, SnacKind> filled;
    for (const SnacEntry& entry : kEntries) filled.emplace(Key(entry.family, entry.subtype), entry.kind);
    return filled;
  }();
  return map;
}

}  // namespace

std::optional<std::pair<uint16_t, uint16_t>> SnacRegistry::PairOf(SnacKind kind) {
  for (const SnacEntry& entry : kEntries) {
    if (entry.kind == kind) return std::pair{entry.family, entry.subtype};
  }
  return std::nullopt;
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
