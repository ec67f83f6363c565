// Popup menus and message boxes over a window: keys, levels, answers.
#include <gtest/gtest.h>

#include "support/ui/ContactListScene.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/MenuWindow.h"
#include "ui/toolkit/MessageBox.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::ui {
namespace {

using platform::Key;

class Blank final : public Window {
 public:
  void Paint(Painter& painter) override { painter.Fill({0, 0, painter.Width(), painter.Height()}, {}); }
  bool OnKey(Key) override { return false; }
};

class PopupTest : public ::testing::Test {
 protected:
  PopupTest() {
    test::UseShippedFontsOnly();
    stack_.Push(std::make_shared<Blank>());
  }
  std::shared_ptr<MenuWindow> Open(std::vector<MenuItem> items) {
    return MenuWindow::Open(
        stack_, std::move(items), [this](int command) { chosen_.push_back(command); }, MenuWindow::Side::Left, 176,
        220);
  }
  void Press(std::initializer_list<Key> keys) {
    for (const auto key : keys) stack_.OnKey(key);
  }
  [[nodiscard]] const MenuWindow* TopMenu() const { return dynamic_cast<const MenuWindow*>(stack_.Top().get()); }

  WindowStack stack_{176, 220};
  std::vector<int> chosen_;
};

TEST_F(PopupTest, MenuKeysMoveChooseAndCloseLevels) {
  const std::vector<MenuItem> items = {
      {.label = u"one", .command = 1},
      MenuItem::Separator(),
      {.label = u"grey", .command = 2, .enabled = false},
      {.label = u"more", .submenu = {{.label = u"inner", .command = 3}, {.label = u"last", .command = 4}}},
      {.label = u"five", .command = 5},
  };
  auto menu = Open(items);
  Press({Key::Up});  // round the top, to the last item
  EXPECT_EQ(menu->Selected(), 4);
  Press({Key::Down, Key::Down});  // round the bottom and over the separator
  EXPECT_EQ(menu->Selected(), 2);
  Press({Key::Action, Key::Digit2});  // a greyed item cannot be chosen, by either way
  EXPECT_TRUE(chosen_.empty());
  EXPECT_EQ(TopMenu(), menu.get());

  Press({Key::Digit3});  // the third item: a submenu opens
  ASSERT_NE(TopMenu(), menu.get());
  Press({Key::Left});  // closes that level only
  EXPECT_EQ(TopMenu(), menu.get());
  Press({Key::Right, Key::Down, Key::LeftSoft});  // into the submenu again; its second item
  EXPECT_EQ(chosen_, std::vector<int>{4});
  EXPECT_EQ(TopMenu(), nullptr);  // every level closed

  Open(items);
  Press({Key::Digit3, Key::RightSoft});  // the right soft key closes them all
  EXPECT_EQ(TopMenu(), nullptr);
  Press({Key::Digit4});  // the window beneath has the keys again: nothing chosen
  EXPECT_EQ(chosen_, std::vector<int>{4});
}

TEST_F(PopupTest, TallMenuScrollsToTheSelection) {
  std::vector<MenuItem> items;
  for (int i = 1; i <= 30; ++i) items.push_back({.label = u"item " + std::u16string(1, u'a' + i % 26), .command = i});
  auto menu = Open(items);
  const auto area = menu->Area();
  EXPECT_GE(area.y, 0);
  EXPECT_LT(area.height, 220);
  Press({Key::Up});  // the last item, far below the first screenful
  EXPECT_EQ(menu->Selected(), 29);
  // The selected line is painted inside the menu: its highlight shows at the menu's bottom.
  auto screen = platform::Surface::Create(176, 220);
  stack_.Compose(*screen);
  EXPECT_EQ(screen->PixelAt(area.x + 20, area.y + area.height - 5), DefaultLook().menuSelection);
  Press({Key::Action});
  EXPECT_EQ(chosen_, std::vector<int>{30});
}

TEST_F(PopupTest, MessageBoxAnswersBySoftKeysAndBack) {
  struct Case {
    std::u16string second;
    Key key;
    std::optional<MessageBox::Answer> answer;
  };
  using A = MessageBox::Answer;
  const Case cases[] = {
      {u"Cancel", Key::LeftSoft, A::First},
      {u"Cancel", Key::Action, A::First},
      {u"Cancel", Key::RightSoft, A::Second},
      {u"Cancel", Key::Back, A::Second},
      {u"", Key::Back, A::First},
      {u"", Key::RightSoft, std::nullopt},
      {u"Cancel", Key::Digit1, std::nullopt},
  };
  for (const Case& c : cases) {
    std::optional<MessageBox::Answer> answer;
    auto box = MessageBox::Show(stack_, 176, 220, u"Caption", u"A question long enough to wrap onto a second line",
                                u"OK", c.second, [&answer](MessageBox::Answer given) { answer = given; });
    Press({c.key});
    EXPECT_EQ(answer, c.answer) << static_cast<int>(c.key);
    EXPECT_EQ(stack_.Contains(box.get()), !c.answer.has_value());
    stack_.Remove(box.get());
  }
}

}  // namespace
}  // namespace quelt::ui
