// How fast the contact list can be filtered as the user types: one quick-search test per contact
// over 2,000 contacts with Latin and Cyrillic names, numbers and addresses, for 1, 3 and 6 keys.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "resources/QuickSearchMap.h"
#include "resources/QuickSearchMatch.h"

namespace {

using namespace quelt::resources;

struct Contact {
  std::u16string name;
  std::u16string identifier;
};

const std::vector<Contact>& Contacts() {
  static const std::vector<Contact> contacts = [] {
    const std::u16string first[] = {u"Anna", u"Boris",    u"Claire", u"Dmitry",  u"Elena", u"Frank", u"Галина",
                                    u"Юрий", u"Светлана", u"Олег",   u"Наталья", u"Пётр",  u"Mike",  u"Zoë"};
    const std::u16string last[] = {u"Smith",   u"Ivanova", u"O'Neil", u"Kowalski", u"Петров", u"Соколова",
                                   u"Фёдоров", u"Müller",  u"Nguyen", u"Жуков",    u"",       u"(work)"};
    std::mt19937 random(42);
    std::vector<Contact> list;
    for (int i = 0; i < 2000; ++i) {
      Contact contact;
      contact.name = first[random() % std::size(first)] + u" " + last[random() % std::size(last)];
      if (i % 2 == 0) {
        for (const char c : std::to_string(100000000 + random() % 900000000)) contact.identifier += char16_t(c);
      } else {
        contact.identifier = u"user" + std::u16string(1, char16_t(u'a' + i % 26)) + u"_" + char16_t(u'0' + i % 10) +
                             u"@mail.example.com";
      }
      list.push_back(std::move(contact));
    }
    return list;
  }();
  return contacts;
}

void FilterContacts(benchmark::State& state, const QuickSearchMap& map, std::u16string_view typed) {
  const TypedKeys keys(map.EntriesForKeys(typed));
  const auto& contacts = Contacts();
  size_t matches = 0;
  for (auto _ : state) {
    for (const Contact& contact : contacts) matches += QuickSearchTest(contact.name, contact.identifier, keys).matches;
  }
  benchmark::DoNotOptimize(matches);
  state.counters["names/s"] =
      benchmark::Counter(static_cast<double>(state.iterations() * contacts.size()), benchmark::Counter::kIsRate);
}

const QuickSearchMap& RussianMap() {
  static QuickSearchMap map;
  static const bool loaded = [] {
    const std::string file =
        "<q name='Русский'><k key='2' chars='2абвгabc'/><k key='3' chars='3деёжзdef'/><k key='4' chars='4ийклghi'/>"
        "<k key='5' chars='5мнопjkl'/><k key='6' chars='6рстуmno'/><k key='7' chars='7фхцчpqrs'/>"
        "<k key='8' chars='8шщъыtuv'/><k key='9' chars='9ьэюяwxyz'/></q>";
    return map.LoadFromBytes({reinterpret_cast<const uint8_t*>(file.data()), file.size()});
  }();
  if (!loaded) std::abort();
  return map;
}

}  // namespace

// Each typed prefix spells the start of a surname that is in the list.
static void BM_LatinKeypad(benchmark::State& state) {
  FilterContacts(state, QuickSearchMap(), std::u16string_view(u"569257").substr(0, state.range(0)));
}
BENCHMARK(BM_LatinKeypad)->Arg(1)->Arg(3)->Arg(6)->ArgName("keys");

static void BM_RussianKeypad(benchmark::State& state) {
  FilterContacts(state, RussianMap(), std::u16string_view(u"536652").substr(0, state.range(0)));
}
BENCHMARK(BM_RussianKeypad)->Arg(1)->Arg(3)->Arg(6)->ArgName("keys");

BENCHMARK_MAIN();
