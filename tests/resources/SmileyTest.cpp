// Smiley sets: reading, the trie walk without backtracking, and loading in the background.
#include <gtest/gtest.h>

#include "platform/screen/Image.h"
#include "resources/SmileySet.h"
#include "support/TempFolder.h"

namespace quelt::resources {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

SmileyTable Table(std::string_view smiles) {
  const std::string document = "<smilies><desc>Test</desc>" + std::string(smiles) + "</smilies>";
  return SmileyTable::Parse(Bytes(document), "/set", false).value();
}

TEST(SmileyTableTest, ReadsSmilesWithTextsAndSkipsTheRest) {
  const SmileyTable table = Table(
      "<smile file='smile.gif' desc='Smile'><text>:-)</text><text>:)</text></smile>"
      "<smile file='lost.gif' desc='No text'/>"
      "<smile file='wink.gif'><text>;-)</text></smile>");
  EXPECT_EQ(table.Description(), u"Test");
  ASSERT_EQ(table.Smileys().size(), 2u);
  EXPECT_EQ(table.Smileys()[0].text, u":-)");
  EXPECT_EQ(table.Smileys()[0].description, u"Smile");
  EXPECT_EQ(table.Smileys()[1].image->Path(), std::filesystem::path("/set/wink.gif"));
  EXPECT_EQ(table.LongestText(), 3u);
  EXPECT_TRUE(table.HasImages());
  EXPECT_TRUE(table.HasDescriptions());
  EXPECT_EQ(table.MatchAt(u"a :) b", 2)->index, 0u);

  const SmileyTable textOnly = Table("<smile><text>:)</text></smile>");
  EXPECT_FALSE(textOnly.HasImages());
  EXPECT_FALSE(textOnly.HasDescriptions());

  const auto nameOnly = SmileyTable::Parse(Bytes("<smilies><desc>N</desc><smile file='a.gif'><text>:)</text></smile>"
                                                 "</smilies>"),
                                           "/set", true);
  ASSERT_TRUE(nameOnly);
  EXPECT_EQ(nameOnly->Description(), u"N");
  EXPECT_TRUE(nameOnly->Smileys().empty());
  EXPECT_FALSE(SmileyTable::Parse(Bytes("<skin/>"), "/set", false));
  EXPECT_FALSE(SmileyTable::Parse(Bytes("<smilies><smile>"), "/set", false));
}

TEST(SmileyTableTest, TheLongestWalkWinsWithoutBacktracking) {
  const SmileyTable table = Table(
      "<smile file='a.gif'><text>:)</text></smile>"
      "<smile file='b.gif'><text>:))</text></smile>"
      "<smile file='c.gif'><text>:-</text></smile>"
      "<smile file='d.gif'><text>:-))</text></smile>"
      "<smile file='e.gif'><text>:)</text><text>X</text></smile>");
  struct Case {
    std::u16string_view text;
    size_t position;
    std::optional<size_t> index;
    size_t length;
  } cases[] = {
      {u":)))", 0, 1, 3},  // the longer form; the last bracket stays text
      {u":)))", 3, std::nullopt, 0},
      {u":-)", 0, std::nullopt, 0},  // walked past ":-" and stopped where nothing ends
      {u":-", 0, 2, 2},
      {u":-))", 0, 3, 4},
      {u"ab:)", 2, 0, 2},  // the first smiley listed for ":)" wins over the later one
      {u"X", 0, 4, 1},
      {u":", 0, std::nullopt, 0},
      {u"hello", 0, std::nullopt, 0},
      {u":)", 2, std::nullopt, 0},  // at the end of the text
  };
  for (const auto& c : cases) {
    const auto match = table.MatchAt(c.text, c.position);
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()) + " at " + std::to_string(c.position));
    ASSERT_EQ(match.has_value(), c.index.has_value());
    if (match) {
      EXPECT_EQ(match->index, *c.index);
      EXPECT_EQ(match->length, c.length);
    }
  }
}

TEST(SmileySetTest, LoadsInTheBackgroundFromTheFirstFolderThatHoldsTheFile) {
  test::TempFolder folder;
  test::WriteFile(folder / "Smilies" / "b" / "Default.Smilies.xml",
                  "<smilies><desc>second</desc><smile file='s.gif'><text>:)</text></smile></smilies>");
  test::WriteFile(folder / "Smilies" / "a" / "Default.Smilies.xml",
                  "<smilies><desc>first</desc><smile file='s.gif'><text>:)</text></smile></smilies>");
  test::WriteFile(folder / "Smilies" / "a" / "Plain.Smilies.xml",
                  "<smilies><smile desc='no picture'><text>:)</text></smile></smilies>");

  const auto set = SmileySet::Create(folder / "Smilies", u"");  // empty: the default set
  ASSERT_TRUE(set->WaitLoaded());
  EXPECT_EQ(set->Table().Description(), u"first");
  EXPECT_EQ(set->Table().Smileys()[0].image->Path(), folder / "Smilies" / "a" / "s.gif");
  EXPECT_TRUE(set->MatchAt(u":)", 0));

  // A set without pictures and a missing set are both empty as far as messages go.
  const auto plain = SmileySet::Create(folder / "Smilies", u"Plain.Smilies.xml");
  EXPECT_FALSE(plain->MatchAt(u":)", 0));
  EXPECT_EQ(plain->Table().Smileys().size(), 1u);
  const auto missing = SmileySet::Create(folder / "Smilies", u"Missing.Smilies.xml");
  ASSERT_TRUE(missing->WaitLoaded());
  EXPECT_TRUE(missing->Table().Smileys().empty());
}

TEST(SmileySetTest, CancelReleasesWaitersAndDestructionWaitsForTheLoader) {
  test::TempFolder folder;
  std::string many = "<smilies>";
  for (int i = 0; i < 2000; ++i) many += "<smile file='s.gif'><text>:" + std::to_string(i) + ":</text></smile>";
  test::WriteFile(folder / "Smilies" / "big" / "Big.Smilies.xml", many + "</smilies>");
  for (int round = 0; round < 5; ++round) {
    auto set = SmileySet::Create(folder / "Smilies", u"Big.Smilies.xml");
    set->Cancel();
    set->WaitLoaded();  // returns, loaded or not
    set.reset();        // joins a loader that may still be reading
  }
  const auto set = SmileySet::Create(folder / "Smilies", u"Big.Smilies.xml");
  ASSERT_TRUE(set->WaitLoaded());
  EXPECT_EQ(set->Table().Smileys().size(), 2000u);
  EXPECT_EQ(set->MatchAt(u":1999:", 0)->index, 1999u);
}

}  // namespace
}  // namespace quelt::resources
