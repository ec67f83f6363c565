// The shipped smiley sets: loading each one (read, parse, trie), and finding smileys at every
// position of a 4,000-character message, as the chat window does when it lays a message out.
#include <benchmark/benchmark.h>

#include <string>

#include "resources/SmileySet.h"

namespace {

using namespace quelt::resources;

const std::filesystem::path kSmilies = std::filesystem::path(QUELT_DATA_DIR) / "Smilies";

void BM_LoadSmileySet(benchmark::State& state, std::u16string file) {
  size_t smileys = 0;
  for (auto _ : state) {
    const auto set = SmileySet::Create(kSmilies, file);
    if (!set->WaitLoaded()) state.SkipWithError("not loaded");
    smileys = set->Table().Smileys().size();
  }
  state.counters["smileys"] = double(smileys);
  if (smileys == 0) state.SkipWithError("the set is empty");
}
BENCHMARK_CAPTURE(BM_LoadSmileySet, Default, std::u16string(u"Default.Smilies.xml"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_LoadSmileySet, MSN, std::u16string(u"MSN.Smilies.xml"))->Unit(benchmark::kMicrosecond);

// Chat text with a smiley every few words, in the forms each set knows.
std::u16string Message(const SmileyTable& table) {
  std::u16string text;
  size_t next = 0;
  while (text.size() < 4000) {
    text += u"well, that is what I meant ";
    if (!table.Smileys().empty()) text += table.Smileys()[next++ % table.Smileys().size()].text + u" ";
  }
  text.resize(4000);
  return text;
}

void BM_MatchAcrossMessage(benchmark::State& state, std::u16string file) {
  const auto set = SmileySet::Create(kSmilies, file);
  set->WaitLoaded();
  const SmileyTable& table = set->Table();
  const std::u16string text = Message(table);
  size_t found = 0;
  for (auto _ : state) {
    found = 0;
    for (size_t at = 0; at < text.size();) {
      const auto match = table.MatchAt(text, at);
      if (match) ++found;
      at += match ? match->length : 1;
    }
    benchmark::DoNotOptimize(found);
  }
  state.counters["smileys_found"] = double(found);
  state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK_CAPTURE(BM_MatchAcrossMessage, Default, std::u16string(u"Default.Smilies.xml"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MatchAcrossMessage, MSN, std::u16string(u"MSN.Smilies.xml"))->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
