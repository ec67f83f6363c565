#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "icq/IcqContact.h"
#include "icq/IcqListItem.h"
#include "icq/IcqListState.h"

namespace quelt::icq {

// The account's copy of its server-side list: contacts in insertion order, groups, and the
// list's state. Its lock is the account lock of the engine: every read and change goes through
// these methods, and readers get copies. Thread-safe.
class IcqContactList {
 public:
  [[nodiscard]] IcqListState State() const;
  void SetState(const IcqListState& state);

  [[nodiscard]] std::vector<IcqContact> Contacts() const;
  [[nodiscard]] std::vector<IcqGroup> Groups() const;
  // State, groups and contacts read together, as one consistent picture (saving the cache).
  [[nodiscard]] std::tuple<IcqListState, std::vector<IcqGroup>, std::vector<IcqContact>> Snapshot() const;
  [[nodiscard]] std::optional<IcqContact> Find(std::string_view uin) const;
  [[nodiscard]] std::optional<IcqGroup> FindGroup(uint16_t groupId) const;

  // Replaces everything (loading the cache).
  void Reset(IcqListState state, std::vector<IcqGroup> groups, std::vector<IcqContact> contacts);

  // Finds the contact or adds it (group 0, item id 0, empty nickname); true when it was added.
  bool Ensure(std::string_view uin);
  // Changes a contact in place; false when there is none with that UIN.
  bool Update(std::string_view uin, const std::function<void(IcqContact&)>& change);
  // Changes every contact; returns how many the change reported as changed.
  size_t UpdateAll(const std::function<bool(IcqContact&)>& change);
  // Adds or renames a group; removes one.
  void SetGroup(const IcqGroup& group);
  void RemoveGroup(uint16_t groupId);

  // A complete list from the server: store its date and count and the privacy item, update or
  // add every contact and group it names, take contacts it does not name off the server list
  // (group 0, item id 0) and drop the groups it does not name.
  void Apply(const std::vector<IcqListItem>& items, uint32_t modificationDate);

  // The smallest item id from 50 upward (wrapping) that neither a contact nor the privacy item
  // uses; never 0, which instead reports that every id is taken.
  [[nodiscard]] uint16_t NewItemId() const;
  // The item ids of a group's contacts, in list order.
  [[nodiscard]] std::vector<uint16_t> MemberItemIds(uint16_t groupId) const;

  // Stores the chat input's unsent text; a non-empty one marks the contact at `nowTicks`.
  bool SetDraft(std::string_view uin, std::u16string text, uint32_t nowTicks);
  // Clears marks older than `expiryMs`; true when any was cleared.
  bool ExpireDraftMarks(uint32_t nowTicks, uint32_t expiryMs);

 private:
  [[nodiscard]] IcqContact* FindLocked(std::string_view uin);

  mutable std::mutex mutex_;
  IcqListState state_;
  std::vector<IcqGroup> groups_;
  std::vector<IcqContact> contacts_;
};

}  // namespace quelt::icq
