#include "msn/MsnContact.h"

#include <array>
#include <utility>

namespace quelt::msn {
namespace {

struct ListEntry {
  std::u16string_view name;
  const char* asciiName;
  int bit;
};

constexpr std::array<ListEntry, 5> kLists{{
    {u"FL", "FL", kForwardList},
    {u"AL", "AL", kAllowList},
    {u"BL", "BL", kBlockList},
    {u"RL", "RL", kReverseList},
    {u"PL", "PL", kPendingList},
}};

}  // namespace

int ListBitOf(std::u16string_view name) {
  for (const ListEntry& entry : kLists) {
    if (entry.name == name) return entry.bit;
  }
  return 0;
}

const char* ListName(int bit) {
  for (const ListEntry& entry : kLists) {
    if (entry.bit == bit) return entry.asciiName;
  }
  return "";
}

std::u16string MsnContact::DisplayName() const {
  if (!localName.empty()) return localName;
  if (!friendlyName.empty()) return friendlyName;
  return email;
}

void MsnContact::SetLocalName(std::u16string name) {
  const std::u16string& shown = friendlyName.empty() ? email : friendlyName;
  if (name.empty() || name == shown) {
    localName.clear();
  } else {
    localName = std::move(name);
  }
}

void MsnContact::SetUnsentText(std::u16string text, uint32_t now) {
  unsentText = std::move(text);
  if (!unsentText.empty()) {
    activity = true;
    activityTime = now;
  }
}

}  // namespace quelt::msn
