// A cache file that reads must keep the list's promises (e-mails present, sorted, unique) and
// come back unchanged from being written and read again, except for a friendly name equal to the
// e-mail, which the file does not store.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "msn/MsnContactList.h"

namespace {

using namespace quelt::msn;

void Normalise(MsnListSnapshot& list) {
  for (MsnContact& contact : list.contacts) {
    if (contact.friendlyName == contact.email) contact.friendlyName.clear();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  auto parsed = ParseMsnCache(std::span<const uint8_t>(data, size));
  if (!parsed) return 0;
  const auto& contacts = parsed->contacts;
  for (size_t i = 0; i < contacts.size(); ++i) {
    if (contacts[i].email.empty()) std::abort();
    if (i > 0 && !(contacts[i - 1].email < contacts[i].email)) std::abort();
    if (contacts[i].activity || contacts[i].status != -1) std::abort();
  }
  if (parsed->version1.empty() || parsed->version2.empty()) std::abort();
  const auto text = SerializeMsnCache(*parsed);
  auto again = ParseMsnCache(text);
  if (!again) std::abort();
  Normalise(*parsed);
  if (*again != *parsed) std::abort();
  if (SerializeMsnCache(*again) != text) std::abort();
  return 0;
}
