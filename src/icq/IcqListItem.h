#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "icq/Tlv.h"

namespace quelt::icq {

class ByteWriter;

inline constexpr uint16_t kItemContact = 0;
inline constexpr uint16_t kItemGroup = 1;
inline constexpr uint16_t kItemPrivacy = 4;
inline constexpr uint16_t kTlvItemNickname = 0x0131;
inline constexpr uint16_t kTlvItemAwaitingAuthorization = 0x0066;
inline constexpr uint16_t kTlvItemGroupMembers = 0x00C8;
inline constexpr uint16_t kTlvItemPrivacy = 0x00CA;

// One item of the server-side list, as the contact-list family carries it.
struct IcqListItem {
  std::string name;  // UTF-8: the UIN of a contact, the name of a group, empty otherwise
  uint16_t groupId = 0;
  uint16_t itemId = 0;
  uint16_t type = 0;
  TlvChain data;

  void Serialize(ByteWriter& out) const;
};

// One part of the server's list reply (0x13,0x06): version, items, and on the last part the
// list's modification date. Pure over the SNAC data; nothing when the header is short. Items
// cut short end the part (the ones before are kept).
struct IcqListPart {
  uint8_t version = 0;
  uint16_t announcedCount = 0;
  std::vector<IcqListItem> items;
  std::optional<uint32_t> modificationDate;  // the final 4 bytes, read when `last`
};

[[nodiscard]] std::optional<IcqListPart> ParseListPart(std::span<const uint8_t> data, bool last);

}  // namespace quelt::icq
