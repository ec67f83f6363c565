// Which contacts the list shows, in which order, and where the selection goes.
#include <gtest/gtest.h>

#include "ui/windows/Collator.h"
#include "ui/windows/ContactRows.h"

namespace quelt::ui {
namespace {

std::vector<std::u16string> Keys(const std::vector<ContactRow>& rows) {
  std::vector<std::u16string> keys;
  for (const auto& row : rows) keys.push_back(row.key);
  return keys;
}

TEST(ContactRowsTest, ActiveThenOnlineThenNameThenIdentifier) {
  const std::vector<ContactEntry> contacts = {
      {.protocol = Protocol::Icq, .id = u"9", .displayName = u"Zed", .presence = 0},
      {.protocol = Protocol::Icq, .id = u"8", .displayName = u"Amy", .presence = -1},
      {.protocol = Protocol::Icq, .id = u"7", .displayName = u"Old", .presence = -1, .unread = true},
      {.protocol = Protocol::Icq, .id = u"6", .displayName = u"Amy", .presence = 0},
      {.protocol = Protocol::Icq, .id = u"5", .displayName = u"Amy", .presence = 0},
      {.protocol = Protocol::Icq, .id = u"4", .displayName = u"Hid", .presence = 0, .options = {.showStatus = false}},
      {.protocol = Protocol::Icq, .id = u"3", .displayName = u"", .presence = 0},
      {.protocol = Protocol::Msn, .id = u"m@x", .displayName = u"Bea", .presence = 1, .asksAuthorization = true},
      {.protocol = Protocol::Msn, .id = u"t@x", .displayName = u"Tim", .presence = -1, .typing = true},
      {.protocol = Protocol::Msn, .id = u"h@x", .displayName = u"Hal", .presence = 8},
  };
  const std::vector<ConversationEntry> conversations = {{.id = u"c1", .participants = {{.id = u"a"}, {.id = u"b"}}}};
  Collator collator;
  struct Case {
    RowRules rules;
    std::vector<std::u16string> keys;
  };
  const Case cases[] = {
      // An offline contact with an unread message stays and comes before every inactive one;
      // one that hides its status counts as offline; one asking for authorization is active
      // but listed only for being online.
      {{.showOffline = false}, {u"c1", u"m@x", u"7", u"t@x", u"3", u"5", u"6", u"h@x", u"9"}},
      {{.showOffline = true}, {u"c1", u"m@x", u"7", u"t@x", u"3", u"5", u"6", u"h@x", u"4", u"9", u"8"}},
      {{.header = true, .showOffline = false}, {u"1", u"c1", u"m@x", u"7", u"t@x", u"3", u"5", u"6", u"h@x", u"9"}},
  };
  for (const Case& c : cases) {
    const auto rows = BuildRows(contacts, conversations, c.rules, collator);
    EXPECT_EQ(Keys(rows), c.keys);
    // Rows stack without gaps; a conversation row has a line for each participant.
    int top = 0;
    for (const auto& row : rows) {
      EXPECT_EQ(row.top, top);
      top += row.height;
    }
    EXPECT_EQ(rows[c.rules.header ? 1 : 0].height, 2 * c.rules.conversationHeight);
  }
}

TEST(ContactRowsTest, QuickSearchKeepsMatchesWhateverTheirPresence) {
  const std::vector<ContactEntry> contacts = {
      {.protocol = Protocol::Icq, .id = u"1001", .displayName = u"Dora", .presence = -1},
      {.protocol = Protocol::Icq, .id = u"1002", .displayName = u"Eve", .presence = 0},
      {.protocol = Protocol::Msn, .id = u"fred@x", .displayName = u"", .presence = 1},
  };
  const std::vector<std::u16string> three = {u"def3"};
  const resources::TypedKeys typed(three);
  Collator collator;
  const auto rows = BuildRows(contacts, {}, {.header = true, .quickSearch = &typed}, collator);
  ASSERT_EQ(Keys(rows), (std::vector<std::u16string>{u"1", u"fred@x", u"1002", u"1001"}));
  EXPECT_FALSE(rows[1].highlight);                             // matched by its address alone
  EXPECT_EQ(rows[3].highlight, (resources::TextMatch{0, 1}));  // "D" of Dora
}

// Six rows of 10 pixels in a view of 30: three show at a time.
TEST(ContactRowsTest, NavigationAndScrolling) {
  std::vector<ContactRow> rows(6);
  for (int i = 0; i < 6; ++i) rows[static_cast<size_t>(i)] = {.top = i * 10, .height = 10};
  using N = Navigation;
  struct Case {
    std::optional<size_t> selected;
    size_t top;
    N move;
    bool scrolling;
    std::optional<size_t> expected;
    size_t expectedTop;
  };
  const Case cases[] = {
      {std::nullopt, 2, N::Down, false, 2, 2},  // no selection: the top row
      {std::nullopt, 2, N::Up, false, 2, 2},
      {0, 0, N::Up, false, 0, 0},  // stays at the ends without cyclic scrolling
      {0, 0, N::Up, true, 5, 3},   // wraps with it, and scrolls to show the row
      {5, 3, N::Down, false, 5, 3},
      {5, 3, N::Down, true, 0, 0},
      {2, 0, N::Down, false, 3, 1},
      {4, 2, N::PageUp, false, 2, 2},  // first to the top row,
      {2, 2, N::PageUp, false, 0, 0},  // then a view further up
      {0, 0, N::PageUp, false, 0, 0},
      {0, 0, N::PageDown, false, 2, 0},  // first to the last row that fits,
      {2, 0, N::PageDown, false, 4, 2},  // then a view further down
      {5, 3, N::PageDown, false, 5, 3},
  };
  for (const Case& c : cases) {
    const auto selected = Navigate(rows, c.selected, c.top, 30, c.move, c.scrolling);
    EXPECT_EQ(selected, c.expected) << static_cast<int>(c.move) << " from " << c.selected.value_or(99);
    EXPECT_EQ(ScrollToShow(rows, c.top, selected, 30), c.expectedTop) << static_cast<int>(c.move);
  }
  // Everything fits: no scrolling at all.
  EXPECT_EQ(ScrollToShow(rows, 4, 5, 60), 0u);
  EXPECT_EQ(Navigate({}, std::nullopt, 0, 30, N::Down, true), std::nullopt);
}

}  // namespace
}  // namespace quelt::ui
