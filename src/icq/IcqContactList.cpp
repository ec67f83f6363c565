#include "icq/IcqContactList.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

constexpr uint16_t kFirstItemId = 50;

std::u16string Utf8Value(const Tlv* tlv) {
  if (tlv == nullptr) return {};
  return platform::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(tlv->value.data()), tlv->value.size()));
}

}  // namespace

IcqListState IcqContactList::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

void IcqContactList::SetState(const IcqListState& state) {
  std::lock_guard lock(mutex_);
  state_ = state;
}

std::vector<IcqContact> IcqContactList::Contacts() const {
  std::lock_guard lock(mutex_);
  return contacts_;
}

std::vector<IcqGroup> IcqContactList::Groups() const {
  std::lock_guard lock(mutex_);
  return groups_;
}

std::tuple<IcqListState, std::vector<IcqGroup>, std::vector<IcqContact>> IcqContactList::Snapshot() const {
  std::lock_guard lock(mutex_);
  return {state_, groups_, contacts_};
}

std::optional<IcqContact> IcqContactList::Find(std::string_view uin) const {
  std::lock_guard lock(mutex_);
  const auto found =
      std::find_if(contacts_.begin(), contacts_.end(), [&](const IcqContact& c) { return c.uin == uin; });
  if (found == contacts_.end()) return std::nullopt;
  return *found;
}

std::optional<IcqGroup> IcqContactList::FindGroup(uint16_t groupId) const {
  std::lock_guard lock(mutex_);
  const auto found = std::find_if(groups_.begin(), groups_.end(), [&](const IcqGroup& g) { return g.id == groupId; });
  if (found == groups_.end()) return std::nullopt;
  return *found;
}

void IcqContactList::Reset(IcqListState state, std::vector<IcqGroup> groups, std::vector<IcqContact> contacts) {
  std::lock_guard lock(mutex_);
  state_ = state;
  groups_ = std::move(groups);
  contacts_ = std::move(contacts);
}

bool IcqContactList::Ensure(std::string_view uin) {
  std::lock_guard lock(mutex_);
  if (FindLocked(uin) != nullptr) return false;
  contacts_.push_back(IcqContact{.uin = std::string(uin)});
  return true;
}

bool IcqContactList::Update(std::string_view uin, const std::function<void(IcqContact&)>& change) {
  std::lock_guard lock(mutex_);
  IcqContact* contact = FindLocked(uin);
  if (contact == nullptr) return false;
  change(*contact);
  return true;
}

size_t IcqContactList::UpdateAll(const std::function<bool(IcqContact&)>& change) {
  std::lock_guard lock(mutex_);
  size_t changed = 0;
  for (IcqContact& contact : contacts_) changed += change(contact) ? 1 : 0;
  return changed;
}

void IcqContactList::SetGroup(const IcqGroup& group) {
  std::lock_guard lock(mutex_);
  const auto found = std::find_if(groups_.begin(), groups_.end(), [&](const IcqGroup& g) { return g.id == group.id; });
  if (found != groups_.end()) {
    found->name = group.name;
  } else {
    groups_.push_back(group);
  }
}

void IcqContactList::RemoveGroup(uint16_t groupId) {
  std::lock_guard lock(mutex_);
  std::erase_if(groups_, [&](const IcqGroup& g) { return g.id == groupId; });
}

void IcqContactList::Apply(const std::vector<IcqListItem>& items, uint32_t modificationDate) {
  std::lock_guard lock(mutex_);
  state_.modificationDate = modificationDate;
  state_.itemCount = static_cast<uint16_t>(items.size());
  state_.privacyItemId = 0;
  std::unordered_map<std::string, size_t> byUin;
  for (size_t i = contacts_.size(); i-- > 0;) byUin[contacts_[i].uin] = i;
  std::unordered_set<std::string_view> namedUins;
  std::unordered_set<uint16_t> namedGroups;
  for (const IcqListItem& item : items) {
    if (item.type == kItemContact) {
      const std::u16string nickname = Utf8Value(item.data.Find(kTlvItemNickname));
      const auto [entry, added] = byUin.try_emplace(item.name, contacts_.size());
      if (added) contacts_.push_back(IcqContact{.uin = item.name, .itemId = item.itemId, .nickname = nickname});
      IcqContact* contact = &contacts_[entry->second];
      contact->groupId = item.groupId;
      if (!nickname.empty()) contact->nickname = nickname;
      contact->itemId = item.itemId;
      contact->awaitingAuthorization = item.data.Find(kTlvItemAwaitingAuthorization) != nullptr;
      namedUins.insert(item.name);
    } else if (item.type == kItemGroup && item.groupId != 0) {
      const std::u16string name = platform::Utf8ToUtf16(item.name);
      const auto found =
          std::find_if(groups_.begin(), groups_.end(), [&](const IcqGroup& g) { return g.id == item.groupId; });
      if (found != groups_.end()) {
        found->name = name;
      } else {
        groups_.push_back(IcqGroup{.id = item.groupId, .name = name});
      }
      namedGroups.insert(item.groupId);
    } else if (item.type == kItemPrivacy) {
      const Tlv* privacy = item.data.Find(kTlvItemPrivacy);
      state_.privacyItemId = item.itemId;
      state_.privacyValue = privacy != nullptr && !privacy->value.empty() ? privacy->value[0] : 0;
    }
  }
  for (IcqContact& contact : contacts_) {
    if (namedUins.contains(contact.uin)) continue;
    contact.groupId = 0;
    contact.itemId = 0;
  }
  std::erase_if(groups_, [&](const IcqGroup& g) { return !namedGroups.contains(g.id); });
}

// Item id 0 means "no server entry", so it is never handed out; 0 also reports that every other
// id is taken. The privacy item shares the id space with the contacts.
uint16_t IcqContactList::NewItemId() const {
  std::lock_guard lock(mutex_);
  std::vector<bool> used(0x10000, false);
  for (const IcqContact& contact : contacts_) used[contact.itemId] = true;
  used[state_.privacyItemId] = true;
  used[0] = true;
  for (uint32_t step = 0; step < 0x10000; ++step) {
    const auto id = static_cast<uint16_t>(kFirstItemId + step);
    if (!used[id]) return id;
  }
  return 0;
}

std::vector<uint16_t> IcqContactList::MemberItemIds(uint16_t groupId) const {
  std::lock_guard lock(mutex_);
  std::vector<uint16_t> ids;
  for (const IcqContact& contact : contacts_) {
    if (contact.groupId == groupId) ids.push_back(contact.itemId);
  }
  return ids;
}

bool IcqContactList::SetDraft(std::string_view uin, std::u16string text, uint32_t nowTicks) {
  std::lock_guard lock(mutex_);
  IcqContact* contact = FindLocked(uin);
  if (contact == nullptr) return false;
  contact->draftMarked = !text.empty();
  contact->draftTicks = contact->draftMarked ? nowTicks : 0;
  contact->draft = std::move(text);
  return true;
}

bool IcqContactList::ExpireDraftMarks(uint32_t nowTicks, uint32_t expiryMs) {
  std::lock_guard lock(mutex_);
  bool cleared = false;
  for (IcqContact& contact : contacts_) {
    // Unsigned subtraction keeps the age right across the tick counter's wrap.
    if (contact.draftMarked && nowTicks - contact.draftTicks > expiryMs) {
      contact.draftMarked = false;
      cleared = true;
    }
  }
  return cleared;
}

IcqContact* IcqContactList::FindLocked(std::string_view uin) {
  const auto found =
      std::find_if(contacts_.begin(), contacts_.end(), [&](const IcqContact& c) { return c.uin == uin; });
  return found == contacts_.end() ? nullptr : &*found;
}

}  // namespace quelt::icq
