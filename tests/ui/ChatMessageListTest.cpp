// The chat window's message list: headers, and moving through messages and their links with
// older pages read in on the way up.
#include <gtest/gtest.h>

#include "platform/TextCodec.h"
#include "support/TempFolder.h"
#include "ui/chat/ChatMessageList.h"

namespace quelt::ui {
namespace {

TEST(ChatMessageListTest, HeadersFollowTheTwoSettings) {
  const struct {
    bool time, names;
    std::u16string_view sender;
    std::u16string header;
  } cases[] = {{false, false, u"Bob", u""},
               {false, true, u"Bob", u"Bob:"},
               {true, false, u"Bob", u"12:00:"},
               {true, true, u"Bob", u"12:00 Bob:"},
               {true, true, u"", u"12:00 :"}};
  for (const auto& c : cases) EXPECT_EQ(MessageHeader(c.time, c.names, u"12:00", c.sender), c.header);
}

TEST(ChatMessageListTest, UpAndDownWalkLinksThenMessagesAndPageOlderOnesIn) {
  test::TempFolder folder;
  core::Conversation chat(folder.Path(), u"1", {u"1", u"2"}, u"");
  for (int i = 0; i < 11; ++i) {
    ASSERT_TRUE(core::AppendMessage(chat, {}, u"2", platform::AsciiToUtf16("m" + std::to_string(i))));
  }
  ASSERT_TRUE(core::AppendMessage(chat, {}, u"", u"see www.x.org and http://y.org/z"));
  ChatMessageList list([&chat](uint64_t first, uint32_t count) { return core::ReadRecords(chat, first, count); });
  list.LoadLatest();
  ASSERT_EQ(list.Count(), 10u);

  auto where = [&list] {
    return platform::Utf16ToUtf8(list.Message(*list.Selected()).text) + " " +
           platform::Utf16ToUtf8(list.SelectedLink().value_or(u"-"));
  };
  list.SelectNewest();
  EXPECT_EQ(where(), "see www.x.org and http://y.org/z http://y.org/z");
  EXPECT_TRUE(list.Up());
  EXPECT_EQ(where(), "see www.x.org and http://y.org/z www.x.org");
  EXPECT_TRUE(list.Up());
  EXPECT_EQ(where(), "m10 -");
  EXPECT_TRUE(list.Down());
  EXPECT_EQ(where(), "see www.x.org and http://y.org/z www.x.org");
  EXPECT_TRUE(list.Down());
  EXPECT_FALSE(list.Down());
  EXPECT_EQ(where(), "see www.x.org and http://y.org/z http://y.org/z");

  // Past the oldest loaded message the page before it comes in.
  for (int i = 0; i < 11; ++i) ASSERT_TRUE(list.Up());
  EXPECT_EQ(where(), "m1 -");
  EXPECT_EQ(list.Count(), 12u);
  EXPECT_TRUE(list.Up());
  EXPECT_FALSE(list.Up());
  EXPECT_EQ(where(), "m0 -");

  // A message stored now is picked up once; the selection stays on its message.
  ASSERT_TRUE(core::AppendMessage(chat, {}, u"2", u"late"));
  EXPECT_TRUE(list.LoadNewer());
  EXPECT_FALSE(list.LoadNewer());
  EXPECT_EQ(list.Message(list.Count() - 1).text, u"late");
  EXPECT_EQ(where(), "m0 -");
}

}  // namespace
}  // namespace quelt::ui
