// The text box: CR LF and surrogate pairs as single characters, wrapping, moving by visual
// line, scrolling to the caret, limits, and what reaches the owner.
#include <gtest/gtest.h>

#include <vector>

#include "platform/screen/Font.h"
#include "platform/screen/Surface.h"
#include "support/ui/ContactListScene.h"
#include "ui/toolkit/Fonts.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/TextBox.h"
#include "ui/toolkit/Window.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::ui {
namespace {

using platform::Key;
constexpr platform::Color kInk{0, 0, 0};
constexpr platform::Color kPaper{255, 255, 255};

class TextBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::UseShippedFontsOnly();
    font_ = OpenFont(u"DejaVu Sans", 14, false);
    ASSERT_TRUE(font_);
  }
  TextBox::Options Multi(int lines = 3) {
    return {.font = font_, .text = kInk, .background = kPaper, .lines = lines, .multiLine = true};
  }
  TextBox::Options Single() { return {.font = font_, .text = kInk, .background = kPaper}; }
  // A box whose text area is exactly as wide as `sample`.
  int WidthFor(std::u16string_view sample) const { return font_->TextWidth(sample) + 2 * TextBox::kBorder; }

  std::shared_ptr<platform::Font> font_;
};

TEST_F(TextBoxTest, LineBreaksAndSurrogatePairsAreOneCharacter) {
  const struct {
    std::u16string text;
    std::vector<Key> keys;
    std::u16string after;
    size_t caret;
  } cases[] = {
      {u"ab\r\ncd", {Key::Left, Key::Left, Key::Backspace}, u"abcd", 2},
      {u"ab\r\n", {Key::Backspace}, u"ab", 2},
      {u"x\r\n\r\ny", {Key::Left, Key::Left, Key::Left, Key::Right}, u"x\r\n\r\ny", 3},
      {u"a\U0001F600", {Key::Backspace}, u"a", 1},
      {u"\U0001F600b", {Key::Left, Key::Left, Key::Right}, u"\U0001F600b", 2},
      {u"ab", {Key::Left, Key::Action}, u"a\r\nb", 3},
  };
  for (const auto& c : cases) {
    TextBox box(Multi());
    box.SetText(c.text);
    for (const Key key : c.keys) EXPECT_TRUE(box.OnKey(key));
    EXPECT_EQ(box.Text(), c.after);
    EXPECT_EQ(box.Caret(), c.caret);
  }
}

TEST_F(TextBoxTest, InputIsCleanedAndKeptToTheLimit) {
  const struct {
    bool multiLine;
    std::optional<size_t> maxLength;
    std::u16string typed;
    std::u16string stored;
  } cases[] = {
      {true, {}, u"a\nb\rc\r\nd", u"a\r\nb\r\nc\r\nd"},  // pasted breaks of any kind are stored as CR LF
      {false, {}, u"a\r\nb\n", u"ab"},
      {false, {}, u"a\tb\x7f", u"a b"},
      {true, 3, u"ab\r\nc", u"ab"},  // a line break is not cut in half
      {false, 2, u"a\U0001F600", u"a"},
      {false, 4, u"abcdef", u"abcd"},
  };
  for (const auto& c : cases) {
    auto options = c.multiLine ? Multi() : Single();
    options.maxLength = c.maxLength;
    TextBox box(std::move(options));
    EXPECT_TRUE(box.OnText(c.typed));
    EXPECT_EQ(box.Text(), c.stored);
    EXPECT_EQ(box.Caret(), c.stored.size());
  }
  TextBox single(Single());
  EXPECT_FALSE(single.OnKey(Key::Action));
  EXPECT_TRUE(single.Text().empty());
}

TEST_F(TextBoxTest, WrapsAtWordsAndCutsWordsLongerThanALine) {
  TextBox words(Multi());
  words.SetText(u"hello world again");
  words.SetWidth(WidthFor(u"hello world"));
  EXPECT_EQ(words.VisibleLines(), (std::vector<std::u16string>{u"hello world ", u"again"}));

  TextBox longWord(Multi(8));
  longWord.SetText(u"abcdefghijklmnopqrstuvwxyz");
  longWord.SetWidth(WidthFor(u"abcdefghij"));
  const auto lines = longWord.VisibleLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[0], u"abcdefghij");
  std::u16string joined;
  for (const auto& line : lines) joined += line;
  EXPECT_EQ(joined, longWord.Text());
}

TEST_F(TextBoxTest, UpAndDownMoveByVisualLineKeepingTheColumn) {
  TextBox box(Multi());
  box.SetText(u"abcdef\r\nab\r\nabcdef");
  EXPECT_FALSE(box.OnKey(Key::Down));  // the caret is on the last line
  EXPECT_TRUE(box.OnKey(Key::Up));
  EXPECT_EQ(box.Caret(), 10u);  // the end of the short line
  EXPECT_TRUE(box.OnKey(Key::Up));
  EXPECT_EQ(box.Caret(), 6u);  // back to the column it came from
  EXPECT_TRUE(box.CaretOnFirstLine());
  EXPECT_FALSE(box.OnKey(Key::Up));

  // Wrapped lines count as lines of their own.
  TextBox wrapped(Multi());
  wrapped.SetText(u"one two one two one two");
  wrapped.SetWidth(WidthFor(u"one two"));
  int ups = 0;
  while (wrapped.OnKey(Key::Up)) ++ups;
  EXPECT_EQ(ups, 2);
  EXPECT_TRUE(wrapped.CaretOnFirstLine());
  EXPECT_TRUE(wrapped.OnKey(Key::Down));
  EXPECT_FALSE(wrapped.CaretOnFirstLine());

  TextBox empty(Multi());
  for (const Key key : {Key::Up, Key::Down, Key::Left, Key::Right, Key::Backspace, Key::Digit5, Key::Star, Key::Hash}) {
    EXPECT_FALSE(empty.OnKey(key));
  }
}

TEST_F(TextBoxTest, TheCaretLineStaysInView) {
  TextBox box(Multi(2));
  for (char16_t i = 0; i < 10; ++i) box.Append(std::u16string{i ? u"\r\nl" : u"l"} + char16_t(u'0' + i));
  EXPECT_EQ(box.VisibleLines(), (std::vector<std::u16string>{u"l8", u"l9"}));
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(box.OnKey(Key::Up));
  EXPECT_EQ(box.VisibleLines(), (std::vector<std::u16string>{u"l4", u"l5"}));
  box.Append(u"!");  // a paste brings the end back into view
  EXPECT_EQ(box.VisibleLines(), (std::vector<std::u16string>{u"l8", u"l9!"}));
  box.SetText(u"a");
  EXPECT_EQ(box.VisibleLines(), (std::vector<std::u16string>{u"a"}));
}

TEST_F(TextBoxTest, PasswordShowsOneStarPerCharacter) {
  auto options = Single();
  options.password = true;
  TextBox box(std::move(options));
  box.OnText(u"pa s\U0001F600");
  EXPECT_EQ(box.Text(), u"pa s\U0001F600");
  EXPECT_EQ(box.VisibleLines(), (std::vector<std::u16string>{u"*****"}));
}

TEST_F(TextBoxTest, ChangesAreReportedOnceAndADisabledBoxTakesNoInput) {
  int changes = 0;
  auto options = Multi();
  options.changed = [&changes] { ++changes; };
  TextBox box(std::move(options));
  box.OnText(u"ab");
  box.OnKey(Key::Left);
  box.OnKey(Key::Backspace);
  box.SetText(u"b");  // the same text
  EXPECT_EQ(changes, 2);
  box.SetEnabled(false);
  for (const Key key : {Key::Right, Key::Backspace, Key::Action}) EXPECT_FALSE(box.OnKey(key));
  EXPECT_FALSE(box.OnText(u"x"));
  EXPECT_EQ(box.Text(), u"b");
  EXPECT_EQ(changes, 2);
  box.Clear();
  box.Clear();
  EXPECT_EQ(changes, 3);
}

// Typed text reaches the top window, and the box paints its caret only while enabled.
TEST_F(TextBoxTest, TypedTextReachesTheTopWindow) {
  class Entry final : public Window {
   public:
    explicit Entry(TextBox::Options options) : box(std::move(options)) {}
    void Paint(Painter& painter) override { box.Paint(painter, {0, 0, painter.Width(), box.Height()}); }
    bool OnKey(Key key) override { return box.OnKey(key); }
    bool OnText(std::u16string_view text) override { return box.OnText(text); }
    TextBox box;
  };
  WindowStack stack(100, 40);
  auto entry = std::make_shared<Entry>(Single());
  stack.Push(entry);
  EXPECT_TRUE(stack.OnText(u"hi"));
  EXPECT_EQ(entry->box.Text(), u"hi");
  auto screen = platform::Surface::Create(100, 40);
  entry->box.Clear();
  stack.Compose(*screen);
  EXPECT_EQ(screen->PixelAt(TextBox::kBorder, TextBox::kBorder + 1), kInk);
  entry->box.SetEnabled(false);
  stack.InvalidateAll();
  stack.Compose(*screen);
  EXPECT_EQ(screen->PixelAt(TextBox::kBorder, TextBox::kBorder + 1), kPaper);
}

}  // namespace
}  // namespace quelt::ui
