// A chat message split into items and laid out in lines, with every character 6 pixels wide.
#include <gtest/gtest.h>

#include "resources/SmileyTable.h"
#include "ui/chat/MessageLayout.h"

namespace quelt::ui {
namespace {

using Kind = MessageItem::Kind;

resources::SmileyTable Smileys(std::string_view smiles) {
  const std::string document = "<smilies><desc>Test</desc>" + std::string(smiles) + "</smilies>";
  return resources::SmileyTable::Parse(std::span(reinterpret_cast<const uint8_t*>(document.data()), document.size()),
                                       "/set", false)
      .value();
}

// Each item as its kind's letter and its text: "T:word", "S", "B", "L:www.x", "M:0".
std::vector<std::string> Describe(std::u16string_view text, const std::vector<MessageItem>& items) {
  std::vector<std::string> out;
  for (const auto& item : items) {
    const std::u16string_view part = text.substr(item.start, item.length);
    const std::string ascii(part.begin(), part.end());
    switch (item.kind) {
      case Kind::Text: out.push_back("T:" + ascii); break;
      case Kind::Space: out.push_back("S"); break;
      case Kind::LineBreak: out.push_back("B"); break;
      case Kind::Link: out.push_back("L:" + ascii); break;
      case Kind::Smiley: out.push_back("M:" + std::to_string(item.smiley)); break;
    }
  }
  return out;
}

TEST(MessageItemsTest, SplitsTextSpacesBreaksLinksAndSmileys) {
  const auto pictures = Smileys(
      "<smile file='a.gif'><text>:)</text></smile><smile file='b.gif'><text>:-)</text></smile>"
      "<smile file='c.gif'><text>:-))</text></smile>");
  const auto textOnly = Smileys("<smile><text>:)</text></smile>");
  struct Case {
    std::u16string text;
    const resources::SmileyTable* set;
    std::vector<std::string> items;
  };
  const Case cases[] = {
      {u"see www.a.org now", &pictures, {"T:see", "S", "L:www.a.org", "S", "T:now"}},
      {u"HtTpS://x.y/z\tq", &pictures, {"L:HtTpS://x.y/z", "T:\tq"}},
      {u"http:/x", &pictures, {"T:http:/x"}},
      {u"a\r\n\nb\r\rc", &pictures, {"T:a", "B", "T:b", "B", "B", "T:c"}},
      {u"a\n\nb", &pictures, {"T:a", "B", "B", "T:b"}},
      {u"x www.a\nb", &pictures, {"T:x", "S", "L:www.a", "B", "T:b"}},
      {u"hi:)you", &pictures, {"T:hi", "M:0", "T:you"}},
      {u":-)) :-)", &pictures, {"M:2", "S", "M:1"}},
      {u"hi:)", &textOnly, {"T:hi:)"}},
      {u"hi:)", nullptr, {"T:hi:)"}},
      {u"www.only.org", &pictures, {"L:www.only.org"}},
      {u"", &pictures, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Describe(c.text, SplitMessage(c.text, c.set)), c.items) << std::string(c.text.begin(), c.text.end());
  }
}

LayoutMetrics Metrics(int width) {
  return {.width = width,
          .lineHeight = 10,
          .textWidth = [](std::u16string_view text) { return static_cast<int>(text.size()) * 6; },
          .smileyWidth = [](size_t) { return 16; },
          .smileyHeight = [](size_t) { return 15; }};
}

// Each line as its pieces' texts joined by '|'.
std::vector<std::string> Lines(std::u16string_view text, const std::vector<MessageLine>& lines) {
  std::vector<std::string> out;
  for (const auto& line : lines) {
    std::string joined;
    for (const auto& piece : line.pieces) {
      const auto part = text.substr(piece.start, piece.length);
      joined += (joined.empty() ? "" : "|") + std::string(part.begin(), part.end());
    }
    out.push_back(joined);
  }
  return out;
}

TEST(MessageLayoutTest, WrapsAtItemsAndBreaksWhatIsWiderThanALine) {
  const auto pictures = Smileys("<smile file='a.gif'><text>:)</text></smile>");
  struct Case {
    std::u16string text;
    int width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {u"one two three", 60, {"one| |two| ", "three"}},
      {u"one two three", 42, {"one| |two", "three"}},  // the space at the wrap vanishes
      {u"abcdefghijklmnop", 36, {"abcdef", "ghijkl", "mnop"}},
      {u"ab http://abcdefghij", 48, {"ab| |http:", "//abcdef", "ghij"}},
      {u"a\r\n\r\nb", 60, {"a", "", "b"}},
      {u"abcdefgh:)", 54, {"abcdefgh", ":)"}},
  };
  for (const auto& c : cases) {
    const auto lines = LayOutMessage(c.text, SplitMessage(c.text, &pictures), Metrics(c.width));
    EXPECT_EQ(Lines(c.text, lines), c.lines) << std::string(c.text.begin(), c.text.end());
    for (const auto& line : lines) {
      const int right = line.pieces.empty() ? 0 : line.pieces.back().x + line.pieces.back().width;
      EXPECT_LE(right, c.width);
    }
  }
  // A smiley's line is as tall as the smiley; a surrogate pair is never split.
  const std::u16string text = u"ab:)";
  EXPECT_EQ(LayOutMessage(text, SplitMessage(text, &pictures), Metrics(60)).front().height, 15);
  const std::u16string pairs = u"\U0001F600\U0001F600\U0001F600";
  EXPECT_EQ(Lines(pairs, LayOutMessage(pairs, SplitMessage(pairs, nullptr), Metrics(18))).size(), 3u);
}

}  // namespace
}  // namespace quelt::ui
