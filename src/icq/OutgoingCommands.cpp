#include "icq/OutgoingCommands.h"

#include <array>
#include <cstring>
#include <string>

#include "icq/ByteWriter.h"
#include "icq/SnacRegistry.h"
#include "platform/TextCodec.h"

namespace quelt::icq {

namespace {

constexpr std::array<uint8_t, 16> kRoastingTable{0xF3, 0x26, 0x81, 0xC4, 0x39, 0x86, 0xDB, 0x92,
                                                 0x71, 0xA3, 0xB9, 0xE6, 0x53, 0x7A, 0x95, 0x7C};

using Capability = std::array<uint8_t, 16>;
constexpr Capability kServerRelayCapability{0x09, 0x46, 0x13, 0x49, 0x4C, 0x7F, 0x11, 0xD1,
                                            0x82, 0x22, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
constexpr Capability kUtf8Capability{0x09, 0x46, 0x13, 0x4E, 0x4C, 0x7F, 0x11, 0xD1,
                                     0x82, 0x22, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};
constexpr Capability kIcqCapability{0x09, 0x46, 0x13, 0x44, 0x4C, 0x7F, 0x11, 0xD1,
                                    0x82, 0x22, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00};

struct FamilyEntry {
  uint16_t family;
  uint16_t version;
  uint16_t toolId;
};

constexpr uint16_t kToolVersion = 0x047B;
constexpr std::array<FamilyEntry, 10> kClientReadyEntries{{
    {0x0001, 3, 0x0110},
    {0x0013, 2, 0x0110},
    {0x0002, 1, 0x0101},
    {0x0003, 1, 0x0110},
    {0x0015, 1, 0x0110},
    {0x0004, 1, 0x0110},
    {0x0006, 1, 0x0110},
    {0x0009, 1, 0x0110},
    {0x000A, 1, 0x0110},
    {0x000B, 1, 0x0110},
}};

constexpr std::array<std::pair<uint16_t, uint16_t>, 10> kClientVersions{{
    {0x0001, 4},
    {0x0013, 4},
    {0x0002, 1},
    {0x0003, 1},
    {0x0015, 1},
    {0x0004, 1},
    {0x0006, 1},
    {0x0009, 1},
    {0x000A, 1},
    {0x000B, 1},
}};

constexpr std::string_view kClientName = "ICQ Inc. - Product of ICQ (TM).2003b.5.56.1.3916.85";

SnacPtr Make(SnacKind kind, uint32_t requestId, std::vector<uint8_t> data = {}) {
  const auto pair = SnacRegistry::PairOf(kind);
  const SnacHeader header{.family = pair->first, .subtype = pair->second, .flags = 0, .requestId = requestId};
  return std::make_shared<SnacCommand>(header, kind, std::move(data));
}

}  // namespace

SnacPtr MakeClientReady() {
  ByteWriter data;
  for (const FamilyEntry& entry : kClientReadyEntries) {
    data.U16(entry.family).U16(entry.version).U16(entry.toolId).U16(kToolVersion);
  }
  return Make(SnacKind::ClientReady, 0x02, data.Take());
}

SnacPtr MakeRateLimitsRequest() { return Make(SnacKind::RateLimitsRequest, 0x06); }

SnacPtr MakeRateLimitsAck(const std::vector<uint16_t>& classIds) {
  ByteWriter data;
  for (uint16_t id : classIds) data.U16(id);
  return Make(SnacKind::RateLimitsAck, 0x08, data.Take());
}

SnacPtr MakeClientVersions() {
  ByteWriter data;
  for (const auto& [family, version] : kClientVersions) data.U16(family).U16(version);
  return Make(SnacKind::ClientVersions, 0x17, data.Take());
}

// A status word is 16 bits; the flags word in front of it is fixed.
SnacPtr MakeSetStatus(uint32_t status) {
  ByteWriter data;
  data.U16(0x0006).U16(4).U16(0x0100).U16(static_cast<uint16_t>(status));
  data.U16(0x000C).U16(37);
  data.U32(0).U32(0).U8(0).U16(0x0008).U32(0).U32(0).U32(0x00000003);
  data.U32(0).U32(0).U32(0).U16(0x0000);
  return Make(SnacKind::SetStatus, 0x1E, data.Take());
}

SnacPtr MakeLocationRightsRequest() { return Make(SnacKind::LocationRightsRequest, 0x02); }

SnacPtr MakeSetLocationInfo(bool serverRelay) {
  ByteWriter data;
  Tlv::FromBytes(0x0005, StartupCapabilities(serverRelay)).Serialize(data);
  return Make(SnacKind::SetLocationInfo, 0x04, data.Take());
}

SnacPtr MakeBuddyRightsRequest() { return Make(SnacKind::BuddyRightsRequest, 0x02); }

SnacPtr MakeSetMessageParameters(uint16_t channel, uint32_t flags) {
  ByteWriter data;
  data.U16(channel).U32(flags).U16(0x1F40).U16(999).U16(999).U32(0);
  return Make(SnacKind::SetMessageParameters, 0x02, data.Take());
}

SnacPtr MakeMessageParametersRequest() { return Make(SnacKind::MessageParametersRequest, 0x04); }

SnacPtr MakePrivacyRightsRequest() { return Make(SnacKind::PrivacyRightsRequest, 0x02); }

SnacPtr MakeListRightsRequest() { return Make(SnacKind::ListRightsRequest, 0x02); }

SnacPtr MakeListCheck(uint32_t modificationDate, uint16_t itemCount) {
  ByteWriter data;
  data.U32(modificationDate).U16(itemCount);
  return Make(SnacKind::ListCheck, 0x00010005, data.Take());
}

SnacPtr MakeActivateList() { return Make(SnacKind::ActivateList, 0x07); }

SnacPtr MakeOfflineMessagesRequest(uint32_t ownUin) {
  ByteWriter data;
  data.U16(0x0001).U16(10).U16Le(0x0008).U32Le(ownUin).U16Le(0x003C).U16Le(0x0002);
  return Make(SnacKind::MetaRequest, 0x00020001, data.Take());
}

TlvChain MakeSignOnTlvs(std::string_view uin, std::u16string_view password, uint32_t passwordCodePage) {
  TlvChain tlvs;
  tlvs.Add(Tlv::FromAscii(0x0001, uin));
  tlvs.Add(Tlv{0x0002, RoastPassword(password, passwordCodePage)});
  tlvs.Add(Tlv::FromAscii(0x0003, kClientName));
  tlvs.Add(Tlv::FromU16(0x0016, 0x010A));
  tlvs.Add(Tlv::FromU16(0x0017, 5));
  tlvs.Add(Tlv::FromU16(0x0018, 0x0038));
  tlvs.Add(Tlv::FromU16(0x0019, 1));
  tlvs.Add(Tlv::FromU16(0x001A, 0x0F4C));
  tlvs.Add(Tlv::FromU32(0x0014, 0x00000055));
  tlvs.Add(Tlv::FromAscii(0x000F, "en"));
  tlvs.Add(Tlv::FromAscii(0x000E, "us"));
  return tlvs;
}

std::vector<uint8_t> RoastPassword(std::u16string_view password, uint32_t codePage) {
  platform::EncodedText encoded = platform::EncodeCodePage(password, codePage);
  std::string& bytes = encoded.bytes;
  std::vector<uint8_t> roasted(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    roasted[i] = static_cast<uint8_t>(static_cast<uint8_t>(bytes[i]) ^ kRoastingTable[i % kRoastingTable.size()]);
  }
  if (!bytes.empty()) explicit_bzero(bytes.data(), bytes.size());
  return roasted;
}

std::vector<uint8_t> StartupCapabilities(bool serverRelay) {
  ByteWriter data;
  if (serverRelay) data.Append(kServerRelayCapability);
  data.Append(kUtf8Capability).Append(kIcqCapability);
  return data.Take();
}

}  // namespace quelt::icq
