// The first byte picks the file: even, the cache; odd, the options. A cache that reads is written
// and read again, and its text must settle after one round trip (line ends and blank drafts are
// normalised by the XML layer once). Options that apply must survive being written and read.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "icq/IcqCache.h"

namespace {

using namespace quelt::icq;

std::vector<IcqContact> Contacts() {
  std::vector<IcqContact> contacts;
  for (const char* uin : {"1", "2", "12345", "", "\xD0\x96"}) contacts.push_back(IcqContact{.uin = uin});
  return contacts;
}

void CheckCache(std::span<const uint8_t> bytes) {
  const auto parsed = ParseCache(bytes);
  if (!parsed) return;
  for (const IcqGroup& group : parsed->groups) {
    if (group.id == 0) std::abort();
  }
  auto text = SerializeCache(*parsed);
  for (int round = 0; round < 2; ++round) {
    const auto again = ParseCache(text);
    if (!again || again->groups.size() != parsed->groups.size()) std::abort();
    auto next = SerializeCache(*again);
    if (round == 1 && next != text) std::abort();
    text = std::move(next);
  }
}

void CheckOptions(std::span<const uint8_t> bytes) {
  std::vector<IcqContact> contacts = Contacts();
  ApplyOptions(bytes, contacts);
  if (!contacts[3].showStatus || contacts[3].ansiCodePage != -1 || contacts[3].preferUnicode) std::abort();
  std::vector<IcqContact> reloaded = Contacts();
  ApplyOptions(SerializeOptions(contacts), reloaded);
  if (reloaded != contacts) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > (1u << 20)) return 0;
  const std::span<const uint8_t> rest(data + 1, size - 1);
  if (data[0] % 2 == 0) {
    CheckCache(rest);
  } else {
    CheckOptions(rest);
  }
  return 0;
}
