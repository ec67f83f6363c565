#include "icq/IcqListService.h"

#include "core/Application.h"
#include "core/HistoryStore.h"
#include "core/StatusNames.h"
#include "icq/IcqAuthorization.h"
#include "icq/IcqCache.h"
#include "icq/IcqListCommands.h"
#include "icq/IcqMessage.h"
#include "icq/OutgoingCommands.h"
#include "platform/Log.h"

namespace quelt::icq {
namespace {

constexpr uint8_t kPrivacyVisibleListOnly = 3;
constexpr uint8_t kPrivacyAllButInvisibleList = 4;

}  // namespace

IcqListService::IcqListService(core::Application& application, std::string uin, std::filesystem::path historyFolder,
                               Hooks hooks)
    : application_(application),
      uin_(std::move(uin)),
      historyFolder_(std::move(historyFolder)),
      hooks_(std::move(hooks)) {}

void IcqListService::LoadCache() { icq::LoadCache(historyFolder_, uin_, list_); }

void IcqListService::OnSnac(const SnacCommand& snac, uint64_t connection) {
  switch (snac.Kind()) {
    case SnacKind::ContactList: OnListPart(snac, connection); break;
    case SnacKind::AuthorizationRequest: OnAuthorizationRequest(snac); break;
    case SnacKind::AuthorizationReplyIn:
      if (const auto reply = ParseAuthorizationReply(snac.Data()); reply && reply->granted) {
        if (list_.Update(reply->uin, [](IcqContact& contact) { contact.awaitingAuthorization = false; })) {
          ListChanged();
        }
      }
      break;
    case SnacKind::YouWereAdded:
      if (const std::string uin = ParseYouWereAdded(snac.Data()); !uin.empty() && list_.Ensure(uin)) ListChanged();
      break;
    default: break;
  }
}

void IcqListService::OnListPart(const SnacCommand& snac, uint64_t connection) {
  std::optional<AssembledList> whole;
  {
    std::lock_guard lock(assemblyMutex_);
    whole = assembly_.Add(connection, snac.Data(), (snac.Flags() & kSnacFlagMoreFollow) == 0);
  }
  if (!whole) return;
  list_.Apply(whole->items, whole->modificationDate);
  (void)Saved(true);
}

void IcqListService::OnAuthorizationRequest(const SnacCommand& snac) {
  const auto request = ParseAuthorizationRequest(snac.Data());
  if (!request || request->uin.empty()) return;
  list_.Ensure(request->uin);
  list_.Update(request->uin, [](IcqContact& contact) {
    contact.asksAuthorization = true;
    contact.unread = true;
  });
  auto message = std::make_shared<IcqMessage>();
  message->senderUin = request->uin;
  message->time = core::LocalNow();
  message->text = application_.Text("authorization_request") + u": " + request->reason;
  if (hooks_.conversationWith) {
    const std::u16string sender(request->uin.begin(), request->uin.end());
    application_.History().Append(hooks_.conversationWith(request->uin), message->time, sender, message->text);
  }
  application_.PostEvent(
      core::MakeEvent(core::EventCode::IcqMessageReceived, std::shared_ptr<const IcqMessage>(message)));
  ListChanged();
}

void IcqListService::ListChanged() { application_.PostEvent(core::MakeEvent(core::EventCode::ViewRefresh)); }

void IcqListService::SendTransaction(std::vector<SnacPtr> commands) {
  for (auto& command : commands) hooks_.sendOnBos(std::move(command));
}

bool IcqListService::AddToGroup(std::string_view uin, uint16_t groupId) {
  const auto group = list_.FindGroup(groupId);
  const uint16_t itemId = list_.NewItemId();
  if (!hooks_.isOnline() || !group || itemId == 0) return false;  // 0: every item id is taken
  list_.Ensure(uin);
  list_.Update(uin, [&](IcqContact& contact) {
    contact.groupId = groupId;
    contact.itemId = itemId;
  });
  const auto contact = list_.Find(uin);
  SendTransaction({MakeBeginEdit(), MakeAddItems({ContactItem(*contact)}),
                   MakeUpdateItems({GroupItem(*group, list_.MemberItemIds(groupId))}), MakeEndEdit()});
  ListChanged();
  return true;
}

bool IcqListService::MoveToGroup(std::string_view uin, uint16_t groupId) {
  const auto before = list_.Find(uin);
  const auto target = list_.FindGroup(groupId);
  const uint16_t itemId = list_.NewItemId();
  if (!hooks_.isOnline() || !before || !target || before->groupId == groupId || itemId == 0) return false;
  list_.Update(uin, [&](IcqContact& contact) {
    contact.groupId = groupId;
    contact.itemId = itemId;
  });
  const auto after = list_.Find(uin);
  // Both groups' member lists change: the one it left and the one it joined.
  std::vector<IcqListItem> groups = {GroupItem(*target, list_.MemberItemIds(groupId))};
  if (const auto old = list_.FindGroup(before->groupId)) {
    groups.insert(groups.begin(), GroupItem(*old, list_.MemberItemIds(old->id)));
  }
  std::vector<SnacPtr> commands = {MakeBeginEdit()};
  if (before->itemId != 0) commands.push_back(MakeDeleteItems({ContactItem(*before)}));
  commands.push_back(MakeAddItems({ContactItem(*after)}));
  commands.push_back(MakeUpdateItems(groups));
  commands.push_back(MakeEndEdit());
  SendTransaction(std::move(commands));
  ListChanged();
  return true;
}

bool IcqListService::Delete(std::string_view uin) {
  const auto before = list_.Find(uin);
  if (!hooks_.isOnline() || !before || before->itemId == 0) return false;
  // The record stays, off the server list, as for a contact the server no longer names.
  list_.Update(uin, [](IcqContact& contact) {
    contact.groupId = 0;
    contact.itemId = 0;
  });
  std::vector<SnacPtr> commands = {MakeBeginEdit(), MakeDeleteItems({ContactItem(*before)})};
  if (const auto group = list_.FindGroup(before->groupId)) {
    commands.push_back(MakeUpdateItems({GroupItem(*group, list_.MemberItemIds(group->id))}));
  }
  commands.push_back(MakeEndEdit());
  SendTransaction(std::move(commands));
  ListChanged();
  return true;
}

bool IcqListService::RenameContact(std::string_view uin, std::u16string nickname) {
  if (!hooks_.isOnline() || !list_.Update(uin, [&](IcqContact& contact) { contact.nickname = std::move(nickname); })) {
    return false;
  }
  SendTransaction({MakeBeginEdit(), MakeUpdateItems({ContactItem(*list_.Find(uin))}), MakeEndEdit()});
  ListChanged();
  return true;
}

bool IcqListService::RenameGroup(uint16_t groupId, std::u16string name) {
  auto group = list_.FindGroup(groupId);
  if (!hooks_.isOnline() || !group) return false;
  group->name = std::move(name);
  list_.SetGroup(*group);
  SendTransaction({MakeBeginEdit(), MakeUpdateItems({GroupItem(*group, list_.MemberItemIds(groupId))}), MakeEndEdit()});
  ListChanged();
  return true;
}

bool IcqListService::AddToBuddyList(std::string_view uin) {
  if (!hooks_.isOnline()) return false;
  hooks_.sendOnBos(MakeAddBuddy(uin));
  return true;
}

bool IcqListService::RequestAuthorization(std::string_view uin) {
  if (!hooks_.isOnline()) return false;
  hooks_.sendOnBos(MakeRequestAuthorization(uin));
  return true;
}

bool IcqListService::Authorize(std::string_view uin) {
  if (!hooks_.isOnline()) return false;
  hooks_.sendOnBos(MakeAuthorizationReply(uin));
  if (list_.Update(uin, [](IcqContact& contact) { contact.asksAuthorization = false; })) ListChanged();
  return true;
}

bool IcqListService::Refresh() {
  if (!hooks_.isOnline()) return false;
  const IcqListState state = list_.State();
  hooks_.sendOnBos(MakeListCheck(state.modificationDate, state.itemCount));
  return true;
}

bool IcqListService::SetShowStatus(std::string_view uin, bool show) {
  return Saved(list_.Update(uin, [show](IcqContact& contact) { contact.showStatus = show; }));
}

bool IcqListService::SetOptions(std::string_view uin, bool showStatus, int32_t ansiCodePage, bool preferUnicode) {
  return Saved(list_.Update(uin, [&](IcqContact& contact) {
    contact.showStatus = showStatus;
    contact.ansiCodePage = ansiCodePage;
    contact.preferUnicode = preferUnicode;
  }));
}

bool IcqListService::SetDraft(std::string_view uin, std::u16string text, uint32_t nowTicks) {
  return Saved(list_.SetDraft(uin, std::move(text), nowTicks));
}

bool IcqListService::Saved(bool changed) {
  if (!changed) return false;
  if (!SaveCache(historyFolder_, uin_, list_)) platform::Log("ICQ: could not save the contact-list cache");
  ListChanged();
  return true;
}

void IcqListService::SyncPrivacy(int32_t status) {
  const uint8_t wanted = core::IcqStatusKey(static_cast<uint32_t>(status)) == "invisible" ? kPrivacyVisibleListOnly
                                                                                          : kPrivacyAllButInvisibleList;
  IcqListState state = list_.State();
  if (state.privacyItemId == 0 || state.privacyValue == wanted) return;
  hooks_.sendOnBos(MakeUpdateItems({PrivacyItem(state.privacyItemId, wanted)}));
  state.privacyValue = wanted;
  list_.SetState(state);
}

}  // namespace quelt::icq
