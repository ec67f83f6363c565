#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "icq/IcqContact.h"
#include "icq/IcqListItem.h"
#include "icq/SnacCommand.h"

namespace quelt::icq {

// The server-list commands and the items they carry.

[[nodiscard]] SnacPtr MakeBeginEdit();                                         // 0x13,0x11, id 0x11
[[nodiscard]] SnacPtr MakeEndEdit();                                           // 0x13,0x12, id 0x12
[[nodiscard]] SnacPtr MakeAddItems(const std::vector<IcqListItem>& items);     // 0x13,0x08
[[nodiscard]] SnacPtr MakeUpdateItems(const std::vector<IcqListItem>& items);  // 0x13,0x09, id 9
[[nodiscard]] SnacPtr MakeDeleteItems(const std::vector<IcqListItem>& items);  // 0x13,0x0A
[[nodiscard]] SnacPtr MakeAddBuddy(std::string_view uin);                      // 0x03,0x04
[[nodiscard]] SnacPtr MakeRequestAuthorization(std::string_view uin);          // 0x13,0x18, empty reason
[[nodiscard]] SnacPtr MakeAuthorizationReply(std::string_view uin);            // 0x13,0x1A, granted, empty reason

// A contact's item: its UIN, item id and group id, the awaiting TLV when either id is 0, when
// asked for, or while it awaits authorization, then its nickname.
[[nodiscard]] IcqListItem ContactItem(const IcqContact& contact, bool askAuthorization = false);
// A group's item with its members' item ids.
[[nodiscard]] IcqListItem GroupItem(const IcqGroup& group, const std::vector<uint16_t>& memberItemIds);
// The privacy item with the wanted value.
[[nodiscard]] IcqListItem PrivacyItem(uint16_t itemId, uint8_t value);

}  // namespace quelt::icq
