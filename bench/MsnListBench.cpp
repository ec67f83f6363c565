// The MSN list cache for a large account: 1,000 contacts in 20 groups, with GUIDs, friendly and
// local names, a few drafts. Writing it, reading it from bytes, and loading it from a file as the
// session does when it is made.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "msn/MsnContactList.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"

namespace {

using namespace quelt::msn;
using quelt::platform::AsciiToUtf16;

constexpr int kContacts = 1000;
constexpr int kGroups = 20;

std::string Guid(unsigned seed) {
  char text[40];
  std::snprintf(text, sizeof text, "%08x-%04x-4%03x-8%03x-%012x", seed * 2654435761u, seed & 0xFFFF, seed & 0xFFF,
                (seed * 7) & 0xFFF, seed * 40503u);
  return text;
}

MsnListSnapshot LargeList() {
  MsnListSnapshot list;
  list.version1 = u"1234";
  list.version2 = u"2005-04-23T18:57:44.8130000-07:00";
  for (int i = 0; i < kGroups; ++i) {
    list.groups.push_back({AsciiToUtf16(std::to_string(i)), u"Group \u0413" + AsciiToUtf16(std::to_string(i))});
  }
  for (int i = 0; i < kContacts; ++i) {
    const std::string number = std::to_string(i);
    MsnContact contact;
    contact.email = AsciiToUtf16("contact" + number + "@example.com");
    contact.friendlyName = u"Friendly \u00e9 name " + AsciiToUtf16(number);
    if (i % 4 == 0) contact.SetLocalName(u"My " + AsciiToUtf16(number));
    if (i % 10 != 0) contact.guid = Guid(static_cast<unsigned>(i));
    contact.lists = i % 10 != 0 ? (kForwardList | kAllowList | kReverseList) : (kReverseList | kPendingList);
    contact.groups.push_back(AsciiToUtf16(std::to_string(i % kGroups)));
    if (i % 7 == 0) contact.groups.push_back(AsciiToUtf16(std::to_string((i + 3) % kGroups)));
    if (i % 50 == 0) contact.SetUnsentText(u"a half-written message & more", 1);
    list.contacts.push_back(std::move(contact));
  }
  std::sort(list.contacts.begin(), list.contacts.end(),
            [](const MsnContact& a, const MsnContact& b) { return a.email < b.email; });
  return list;
}

void BM_SerializeMsnCache(benchmark::State& state) {
  const MsnListSnapshot list = LargeList();
  size_t bytes = 0;
  for (auto _ : state) {
    auto text = SerializeMsnCache(list);
    bytes = text.size();
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_SerializeMsnCache)->Unit(benchmark::kMicrosecond);

void BM_ParseMsnCache(benchmark::State& state) {
  const auto text = SerializeMsnCache(LargeList());
  for (auto _ : state) {
    auto list = ParseMsnCache(text);
    if (!list || list->contacts.size() != kContacts) state.SkipWithError("the list did not read back");
    benchmark::DoNotOptimize(list);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseMsnCache)->Unit(benchmark::kMicrosecond);

void BM_LoadCacheFromFile(benchmark::State& state) {
  const auto path = std::filesystem::temp_directory_path() / ("msn_list_bench_" + std::to_string(::getpid()) + ".xml");
  if (!quelt::platform::WriteFileAtomically(path, SerializeMsnCache(LargeList()))) {
    state.SkipWithError("cannot write the cache file");
    return;
  }
  MsnContactList list(path);
  for (auto _ : state) list.LoadCache();
  if (list.Contacts().size() != kContacts) state.SkipWithError("the list did not load");
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadCacheFromFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
