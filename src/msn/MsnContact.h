#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quelt::msn {

// The five server lists as bits of a contact's membership.
enum MsnListBit : int {
  kForwardList = 1,   // FL: my contacts
  kAllowList = 2,     // AL
  kBlockList = 4,     // BL
  kReverseList = 8,   // RL: who has me
  kPendingList = 16,  // PL: added me, not yet answered
};
// "FL", "AL", "BL", "RL", "PL"; 0 for any other name.
[[nodiscard]] int ListBitOf(std::u16string_view name);
[[nodiscard]] const char* ListName(int bit);

// One MSN contact as the session keeps it. A value: the list hands out copies and takes changes
// through its Update, under its lock.
struct MsnContact {
  std::u16string email;  // the identity; never empty
  std::string guid;      // the server's id for forward-list entries; empty when unknown
  std::u16string friendlyName;
  std::u16string localName;  // the user's own name for the contact; empty when none
  int lists = 0;             // MsnListBit flags
  std::vector<std::u16string> groups;
  int32_t status = -1;  // presence number; -1 offline
  bool typing = false;
  bool activity = false;
  uint32_t activityTime = 0;  // tick count
  bool unread = false;
  bool sending = false;
  std::u16string unsentText;

  // The local name, else the friendly name, else the e-mail.
  [[nodiscard]] std::u16string DisplayName() const;
  // Empty, or equal to the friendly name (the e-mail when there is none), clears the local name.
  void SetLocalName(std::u16string name);
  // A non-empty text also marks the contact active from `now`.
  void SetUnsentText(std::u16string text, uint32_t now);
  [[nodiscard]] bool In(int bit) const { return (lists & bit) != 0; }
  bool operator==(const MsnContact&) const = default;
};

struct MsnGroup {
  std::u16string id;
  std::u16string name;
  bool operator==(const MsnGroup&) const = default;
};

}  // namespace quelt::msn
