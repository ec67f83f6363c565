#include "icq/IcqListCommands.h"

#include <algorithm>

#include "icq/ByteWriter.h"
#include "icq/SnacRegistry.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

constexpr uint8_t kAuthorizationGranted = 1;

// The list commands follow the family's habit of using their own subtype as request id.
SnacPtr Make(SnacKind kind, std::vector<uint8_t> data = {}) {
  const auto pair = SnacRegistry::PairOf(kind);
  const SnacHeader header{.family = pair->first, .subtype = pair->second, .flags = 0, .requestId = pair->second};
  return std::make_shared<SnacCommand>(header, kind, std::move(data));
}

SnacPtr MakeItems(SnacKind kind, const std::vector<IcqListItem>& items) {
  ByteWriter data;
  for (const IcqListItem& item : items) item.Serialize(data);
  return Make(kind, data.Take());
}

// A UIN with its one-byte length; longer ones cannot be sent and are cut.
void WriteUin(ByteWriter& out, std::string_view uin) {
  const std::string_view fitted = uin.substr(0, std::min<size_t>(uin.size(), 0xFF));
  out.U8(static_cast<uint8_t>(fitted.size())).Append(fitted);
}

}  // namespace

SnacPtr MakeBeginEdit() { return Make(SnacKind::BeginEdit); }

SnacPtr MakeEndEdit() { return Make(SnacKind::EndEdit); }

SnacPtr MakeAddItems(const std::vector<IcqListItem>& items) { return MakeItems(SnacKind::AddItem, items); }

SnacPtr MakeUpdateItems(const std::vector<IcqListItem>& items) { return MakeItems(SnacKind::UpdateItem, items); }

SnacPtr MakeDeleteItems(const std::vector<IcqListItem>& items) { return MakeItems(SnacKind::DeleteItem, items); }

SnacPtr MakeAddBuddy(std::string_view uin) {
  ByteWriter data;
  WriteUin(data, uin);
  return Make(SnacKind::AddBuddies, data.Take());
}

// The reason is always empty, so the code page it would be written in does not matter.
SnacPtr MakeRequestAuthorization(std::string_view uin) {
  ByteWriter data;
  WriteUin(data, uin);
  data.U16(0).U16(0);
  return Make(SnacKind::RequestAuthorization, data.Take());
}

SnacPtr MakeAuthorizationReply(std::string_view uin) {
  ByteWriter data;
  WriteUin(data, uin);
  data.U8(kAuthorizationGranted).U16(0);
  return Make(SnacKind::AuthorizationReply, data.Take());
}

IcqListItem ContactItem(const IcqContact& contact, bool askAuthorization) {
  IcqListItem item{.name = contact.uin, .groupId = contact.groupId, .itemId = contact.itemId, .type = kItemContact};
  if (contact.groupId == 0 || contact.itemId == 0 || askAuthorization || contact.awaitingAuthorization) {
    item.data.Add(Tlv{kTlvItemAwaitingAuthorization, {}});
  }
  item.data.Add(Tlv::FromAscii(kTlvItemNickname, platform::Utf16ToUtf8(contact.nickname)));
  return item;
}

IcqListItem GroupItem(const IcqGroup& group, const std::vector<uint16_t>& memberItemIds) {
  IcqListItem item{.name = platform::Utf16ToUtf8(group.name), .groupId = group.id, .itemId = 0, .type = kItemGroup};
  ByteWriter members;
  for (uint16_t id : memberItemIds) members.U16(id);
  item.data.Add(Tlv{kTlvItemGroupMembers, members.Take()});
  return item;
}

IcqListItem PrivacyItem(uint16_t itemId, uint8_t value) {
  IcqListItem item{.name = {}, .groupId = 0, .itemId = itemId, .type = kItemPrivacy};
  item.data.Add(Tlv{kTlvItemPrivacy, {value}});
  return item;
}

}  // namespace quelt::icq
