#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "resources/QuickSearchMap.h"
#include "resources/QuickSearchMatch.h"

namespace quelt::resources {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::optional<TextMatch> Match(const QuickSearchMap& map, std::u16string_view text, std::u16string_view typed,
                               MatchMode mode) {
  const auto entries = map.EntriesForKeys(typed);
  return MatchTypedKeys(text, entries, mode);
}

TEST(QuickSearchTest, TypedKeysMatchTheFirstPlaceInTheText) {
  const QuickSearchMap builtIn;
  const std::tuple<std::u16string_view, std::u16string_view, MatchMode, std::optional<TextMatch>> cases[] = {
      {u"Abba", u"22", MatchMode::Name, TextMatch{0, 2}},  // A then b, case ignored
      {u"Xab", u"22", MatchMode::Name, TextMatch{1, 2}},
      {u"aYZ", u"99", MatchMode::Name, TextMatch{1, 2}},
      {u"Bo", u"222", MatchMode::Name, std::nullopt},  // three keys never fit two characters
      {u"", u"2", MatchMode::Name, std::nullopt},
      {u"Q!", u"7*", MatchMode::Name, TextMatch{0, 2}},  // '*' stands for any character in a name
      {u"12345", u"*", MatchMode::Identifier, std::nullopt},
      {u"jo_hn@mail", u"*", MatchMode::Identifier, TextMatch{2, 1}},
      {u"ab#c7", u"#", MatchMode::Name, TextMatch{2, 1}},  // '#' matches a hash sign or a digit
      {u"abc7", u"#", MatchMode::Identifier, TextMatch{3, 1}},
      {u"1+1", u"0", MatchMode::Identifier, TextMatch{1, 1}},
      {u"Abba", u"2x2y", MatchMode::Name, TextMatch{0, 2}},  // keys without an entry are dropped
      {u"Anything", u"", MatchMode::Name, TextMatch{0, 0}},
  };
  for (const auto& [text, typed, mode, expected] : cases) {
    EXPECT_EQ(Match(builtIn, text, typed, mode), expected)
        << std::string(text.begin(), text.end()) << " / " << std::string(typed.begin(), typed.end());
  }
}

TEST(QuickSearchTest, ContactFallsBackToItsIdentifierWithoutAHighlight) {
  const QuickSearchMap builtIn;
  const TypedKeys digits(builtIn.EntriesForKeys(u"4567"));
  const ContactMatch byNumber = QuickSearchTest(u"Zed", u"123456789", digits);
  EXPECT_TRUE(byNumber.matches && !byNumber.highlight);
  const ContactMatch byName = QuickSearchTest(u"Zed", u"123", TypedKeys(builtIn.EntriesForKeys(u"33")));
  EXPECT_TRUE(byName.matches && byName.highlight == (TextMatch{1, 2}));
  EXPECT_FALSE(QuickSearchTest(u"Zed", u"123", digits).matches);
  EXPECT_TRUE(QuickSearchTest(u"Zed", u"123", TypedKeys({})).matches);
}

TEST(QuickSearchTest, CyrillicNameMatchesWithTheRussianKeypad) {
  QuickSearchMap map;
  ASSERT_TRUE(map.LoadKeypadMap(std::filesystem::path(QUELT_DATA_DIR) / "QSearch", u"Russian.QS.xml"));
  EXPECT_EQ(map.Name(), u"Русский");
  EXPECT_EQ(Match(map, u"Юрий Петров", u"96", MatchMode::Name), (TextMatch{0, 2}));  // upper-case Ю
  EXPECT_EQ(Match(map, u"Юрий Петров", u"6652", MatchMode::Name), (TextMatch{7, 4}));
  EXPECT_EQ(Match(map, u"Иван", u"25", MatchMode::Name), (TextMatch{2, 2}));
  EXPECT_EQ(Match(map, u"Ann", u"26", MatchMode::Name), (TextMatch{0, 2}));  // Latin letters stay on the keys
  EXPECT_EQ(Match(map, u"ФЁДОР", u"73", MatchMode::Name), (TextMatch{0, 2}));
  EXPECT_EQ(Match(map, u"Женя", u"2", MatchMode::Name), std::nullopt);
}

TEST(QuickSearchTest, KeypadFileGivesOnlyTheKeysItNames) {
  QuickSearchMap map;
  EXPECT_EQ(map.CharsForKey(u'*'), u"_");
  EXPECT_EQ(map.CharsForKey(u'#'), u"#0123456789");
  for (const char16_t other : {u'a', u'+', u'\0', u'٣'}) EXPECT_FALSE(map.CharsForKey(other).has_value());

  ASSERT_TRUE(
      map.LoadFromBytes(Bytes("<m name='A'><k key='2' chars='xy'/><k key='3' chars=''/><k key='4'/>"
                              "<k key='5' chars='first'/><k key='5' chars='second'/><k key='#' chars='!'/></m>")));
  EXPECT_EQ(map.Name(), u"A");
  EXPECT_EQ(map.CharsForKey(u'2'), u"xy");
  EXPECT_EQ(map.CharsForKey(u'3'), u"3def");  // empty chars keeps the built-in entry
  EXPECT_EQ(map.CharsForKey(u'4'), u"4ghi");
  EXPECT_EQ(map.CharsForKey(u'5'), u"first");
  EXPECT_EQ(map.CharsForKey(u'#'), u"!");

  // A second file starts again from the built-in entries, not from the first file.
  ASSERT_TRUE(map.LoadFromBytes(Bytes("<m name='B'><k key='9' chars='w'/></m>")));
  EXPECT_EQ(map.CharsForKey(u'2'), u"2abc");
  EXPECT_EQ(map.CharsForKey(u'#'), u"#0123456789");

  // Failed loads change nothing.
  EXPECT_FALSE(map.LoadFromBytes(Bytes("<m name='C'><k key='9' chars='q'/>")));
  EXPECT_FALSE(map.LoadKeypadMap("/nonexistent", u"English.QS.xml"));
  EXPECT_FALSE(map.LoadKeypadMap("", u"English.QS.xml"));
  EXPECT_EQ(map.Name(), u"B");
  EXPECT_EQ(map.CharsForKey(u'9'), u"w");
}

}  // namespace
}  // namespace quelt::resources
