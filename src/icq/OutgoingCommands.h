#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "icq/SnacCommand.h"
#include "icq/Tlv.h"

namespace quelt::icq {

// One constructor per command the engine sends during sign-on and start-up. Request ids are the
// ones the protocol fixes for each.

[[nodiscard]] SnacPtr MakeClientReady();                                             // 0x01,0x02
[[nodiscard]] SnacPtr MakeRateLimitsRequest();                                       // 0x01,0x06, id 6
[[nodiscard]] SnacPtr MakeRateLimitsAck(const std::vector<uint16_t>& classIds);      // 0x01,0x08, id 8
[[nodiscard]] SnacPtr MakeClientVersions();                                          // 0x01,0x17, id 0x17
[[nodiscard]] SnacPtr MakeSetStatus(uint32_t status);                                // 0x01,0x1E, id 0x1E
[[nodiscard]] SnacPtr MakeLocationRightsRequest();                                   // 0x02,0x02, id 2
[[nodiscard]] SnacPtr MakeSetLocationInfo(bool serverRelay);                         // 0x02,0x04, id 4
[[nodiscard]] SnacPtr MakeBuddyRightsRequest();                                      // 0x03,0x02, id 2
[[nodiscard]] SnacPtr MakeSetMessageParameters(uint16_t channel, uint32_t flags);    // 0x04,0x02, id 2
[[nodiscard]] SnacPtr MakeMessageParametersRequest();                                // 0x04,0x04, id 4
[[nodiscard]] SnacPtr MakePrivacyRightsRequest();                                    // 0x09,0x02, id 2
[[nodiscard]] SnacPtr MakeListRightsRequest();                                       // 0x13,0x02, id 2
[[nodiscard]] SnacPtr MakeListCheck(uint32_t modificationDate, uint16_t itemCount);  // 0x13,0x05, id 0x00010005
[[nodiscard]] SnacPtr MakeActivateList();                                            // 0x13,0x07, id 7
[[nodiscard]] SnacPtr MakeOfflineMessagesRequest(uint32_t ownUin);                   // 0x15,0x02, id 0x00020001

// The TLVs of the sign-on frame: UIN, roasted password (converted with `passwordCodePage`), and
// the fixed client identification, in the protocol's order.
[[nodiscard]] TlvChain MakeSignOnTlvs(std::string_view uin, std::u16string_view password, uint32_t passwordCodePage);

// The password converted to bytes and XORed with the published OSCAR roasting table.
[[nodiscard]] std::vector<uint8_t> RoastPassword(std::u16string_view password, uint32_t codePage);

// The capability entries announced at start-up: server relay (only with channel-2 support),
// UTF-8 messages, ICQ.
[[nodiscard]] std::vector<uint8_t> StartupCapabilities(bool serverRelay);

}  // namespace quelt::icq
