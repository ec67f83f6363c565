// The cost of taking in a whole server list and of the cache round trip behind it: a list of
// 1,000 items (50 groups, 950 contacts with nicknames) parsed from its SNAC data and applied over
// the cached copy, then the cache saved to disk and loaded back.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "icq/ByteWriter.h"
#include "icq/IcqCache.h"
#include "icq/IcqContactList.h"
#include "icq/IcqListCommands.h"
#include "support/TempFolder.h"

namespace {

using namespace quelt::icq;

constexpr int kGroups = 50;
constexpr int kContacts = 950;

std::vector<uint8_t> ServerList() {
  ByteWriter data;
  data.U8(0).U16(kGroups + kContacts);
  for (int g = 1; g <= kGroups; ++g) {
    GroupItem(IcqGroup{static_cast<uint16_t>(g), u"Group " + std::u16string(1, static_cast<char16_t>(u'A' + g % 26))},
              {})
        .Serialize(data);
  }
  for (int c = 0; c < kContacts; ++c) {
    IcqContact contact{.uin = std::to_string(100000 + c),
                       .itemId = static_cast<uint16_t>(50 + c),
                       .groupId = static_cast<uint16_t>(1 + c % kGroups),
                       .nickname = u"Контакт номер"};
    contact.awaitingAuthorization = c % 7 == 0;
    ContactItem(contact).Serialize(data);
  }
  data.U32(0x5F000000);
  return data.Take();
}

void BM_ApplyList(benchmark::State& state) {
  const std::vector<uint8_t> snac = ServerList();
  IcqContactList list;
  for (auto _ : state) {
    const auto part = ParseListPart(snac, true);
    list.Apply(part->items, *part->modificationDate);
    benchmark::DoNotOptimize(list.State());
  }
  state.SetItemsProcessed(state.iterations() * (kGroups + kContacts));
}
BENCHMARK(BM_ApplyList)->Unit(benchmark::kMicrosecond);

IcqContactList& AppliedList() {
  static IcqContactList list;
  const auto part = ParseListPart(ServerList(), true);
  list.Apply(part->items, *part->modificationDate);
  list.SetDraft("100001", u"an unsent line", 1);
  return list;
}

void BM_SaveCache(benchmark::State& state) {
  const IcqContactList& list = AppliedList();
  quelt::test::TempFolder folder;
  for (auto _ : state) benchmark::DoNotOptimize(SaveCache(folder.Path(), "123456789", list));
}
BENCHMARK(BM_SaveCache)->Unit(benchmark::kMicrosecond);

void BM_LoadCache(benchmark::State& state) {
  quelt::test::TempFolder folder;
  if (!SaveCache(folder.Path(), "123456789", AppliedList())) state.SkipWithError("could not save");
  IcqContactList list;
  for (auto _ : state) {
    LoadCache(folder.Path(), "123456789", list);
    benchmark::DoNotOptimize(list.State());
  }
  if (list.Contacts().size() != kContacts) state.SkipWithError("cache did not load");
}
BENCHMARK(BM_LoadCache)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
