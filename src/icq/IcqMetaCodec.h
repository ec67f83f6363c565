#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/MessageTime.h"
#include "icq/SnacCommand.h"

namespace quelt::icq {

// The ICQ meta service (family 0x15): its envelope is TLV 0x0001 with little-endian fields.

inline constexpr uint16_t kMetaOfflineMessage = 0x0041;
inline constexpr uint16_t kMetaOfflineEnd = 0x0042;
inline constexpr uint16_t kMetaReply = 0x07DA;
inline constexpr uint16_t kMetaBasicInfo = 0x00C8;
inline constexpr uint16_t kMetaMoreInfo = 0x00DC;
inline constexpr uint16_t kMetaNotes = 0x00E6;
inline constexpr uint16_t kMetaSearchResult = 0x01A4;
inline constexpr uint16_t kMetaLastSearchResult = 0x01AE;
inline constexpr uint8_t kMetaSuccess = 0x0A;

// The envelope of a meta reply (0x15,0x03) and what follows it. For command 0x07DA the subtype
// and success byte are read and `payload` starts after the success byte; for the offline
// commands `payload` starts right after the sequence. `payload` points into `snacData`. Nothing
// when the data holds no TLV 0x0001 with a whole envelope up to the sequence.
struct MetaReply {
  uint32_t ownUin = 0;  // the recipient of an offline message
  uint16_t command = 0;
  uint16_t sequence = 0;
  uint16_t subtype = 0;
  bool success = false;
  std::span<const uint8_t> payload;
};
[[nodiscard]] std::optional<MetaReply> ParseMetaReply(std::span<const uint8_t> snacData);

// A stored message (0x0041), its time still UTC.
struct OfflineMessage {
  std::string recipientUin;
  std::string senderUin;
  core::MessageTime utc;
  uint8_t messageType = 0;
  uint8_t messageFlags = 0;
  std::u16string text;
};
[[nodiscard]] std::optional<OfflineMessage> ParseOfflineMessage(const MetaReply& reply, uint32_t codePage);

// What the info window shows, filled part by part; fields a reply cut short stay empty or 0.
struct IcqUserInfo {
  std::u16string nickname, firstName, lastName, email, city, state, phone, fax, street, cellular, zip;
  uint16_t country = 0;
  uint8_t timeZone = 0, authorizationRequired = 0, webAware = 0, directConnection = 0, publishEmail = 0;
  uint16_t age = 0;
  uint8_t gender = 0;
  std::u16string homepage;
  uint16_t birthYear = 0;
  uint8_t birthMonth = 0, birthDay = 0;
  uint8_t languages[3] = {0, 0, 0};
  std::u16string originalCity, originalState;
  uint16_t originalCountry = 0;
  uint8_t originalTimeZone = 0;
  std::u16string notes;
};
// Reads a 0x00C8, 0x00DC or 0x00E6 reply into the record (nothing for other subtypes or an
// unsuccessful reply).
void ReadUserInfoPart(const MetaReply& reply, uint32_t codePage, IcqUserInfo& info);

struct IcqSearchResult {
  uint32_t uin = 0;
  std::u16string nickname, firstName, lastName, email;
  uint8_t authorizationRequired = 0;
  bool online = false;
  uint8_t gender = 0;
  uint16_t age = 0;
  bool last = false;  // 0x01AE: no more results follow
};
// An unsuccessful reply (no match) gives an empty record with `last` set by the subtype.
[[nodiscard]] std::optional<IcqSearchResult> ParseSearchResult(const MetaReply& reply, uint32_t codePage);

// The search window's criteria; empty texts and zeros are left out.
struct IcqSearchQuery {
  std::u16string nickname, firstName, lastName, email, city;
  uint16_t minimumAge = 0, maximumAge = 0;  // both 0: no age range
  uint8_t gender = 0;                       // 0: any
};
// "30-39" → {30, 39}; nothing for text that is not such a range.
[[nodiscard]] std::optional<std::pair<uint16_t, uint16_t>> ParseAgeRange(std::u16string_view text);

[[nodiscard]] SnacPtr MakeUserInfoRequest(uint32_t ownUin, uint32_t targetUin, uint32_t requestId);
[[nodiscard]] SnacPtr MakeSearchByUin(uint32_t ownUin, uint32_t targetUin, uint32_t requestId, uint16_t sequence);
// Nothing when the texts are too long for the request's 16-bit lengths.
[[nodiscard]] SnacPtr MakeSearchByData(uint32_t ownUin, const IcqSearchQuery& query, uint32_t requestId,
                                       uint16_t sequence, uint32_t codePage);
[[nodiscard]] SnacPtr MakeDeleteOfflineMessages(uint32_t ownUin);

// A UIN as the 32-bit number the meta service addresses accounts by: its leading digits (0 when
// there are none).
[[nodiscard]] uint32_t NumericUin(std::string_view uin);

}  // namespace quelt::icq
