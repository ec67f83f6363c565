// Reads arbitrary bytes as a keypad map. Whatever the file holds, every phone key keeps a
// non-empty entry and no other character gets one; the entries must then work for matching.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "resources/QuickSearchMap.h"
#include "resources/QuickSearchMatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::resources;
  QuickSearchMap map;
  map.LoadFromBytes({data, size});
  for (const char16_t key : std::u16string_view(u"0123456789*#")) {
    const auto chars = map.CharsForKey(key);
    if (!chars || chars->empty()) std::abort();
  }
  if (map.CharsForKey(u'a') || map.CharsForKey(u'\0')) std::abort();

  const auto entries = map.EntriesForKeys(u"2*#9");
  if (entries.size() != 4) std::abort();
  const std::u16string text = u"Quelt_Messenger #42 " + map.Name();
  const TypedKeys keys(entries);
  for (const auto mode : {MatchMode::Name, MatchMode::Identifier}) {
    const auto match = keys.Match(text, mode);
    if (match && (match->length != entries.size() || match->start + match->length > text.size())) std::abort();
  }
  return 0;
}
