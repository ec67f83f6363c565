// A chat's messages paged in from a real history while messages keep being stored.
#include <gtest/gtest.h>

#include "platform/TextCodec.h"
#include "support/TempFolder.h"
#include "ui/chat/ChatTranscript.h"

namespace quelt::ui {
namespace {

TEST(ChatTranscriptTest, PagesOlderMessagesInAndPicksUpNewOnesWithoutDuplicates) {
  test::TempFolder folder;
  core::Conversation chat(folder.Path(), u"1", {u"1", u"2"}, u"");
  ChatTranscript transcript([&chat](uint64_t first, uint32_t count) { return core::ReadRecords(chat, first, count); });
  auto store = [&chat](int from, int to) {
    for (int i = from; i < to; ++i) {
      ASSERT_TRUE(core::AppendMessage(chat, {}, u"2", platform::AsciiToUtf16(std::to_string(i))));
    }
  };
  auto texts = [&transcript] {
    std::string joined;
    for (const auto& message : transcript.Messages()) joined += platform::Utf16ToUtf8(message.text) + " ";
    return joined;
  };

  transcript.LoadLatest();  // no history yet
  EXPECT_TRUE(transcript.Messages().empty());
  store(0, 3);
  EXPECT_EQ(transcript.LoadNewer(), 3u);
  store(3, 25);
  transcript.LoadLatest();
  EXPECT_EQ(texts(), "15 16 17 18 19 20 21 22 23 24 ");
  // New messages do not shift the older pages.
  store(25, 27);
  EXPECT_TRUE(transcript.LoadOlder());
  EXPECT_EQ(transcript.LoadNewer(), 2u);
  EXPECT_EQ(transcript.Messages().front().text, u"5");
  EXPECT_EQ(transcript.Messages().back().text, u"26");
  EXPECT_TRUE(transcript.LoadOlder());
  EXPECT_FALSE(transcript.LoadOlder());
  EXPECT_EQ(transcript.Messages().size(), 27u);
  // More than a page at once.
  store(27, 50);
  EXPECT_EQ(transcript.LoadNewer(), 23u);
  EXPECT_EQ(transcript.Messages().back().text, u"49");

  // Deleted and begun again: what is there now, nothing older.
  ASSERT_TRUE(core::ClearHistory(chat));
  store(100, 102);
  transcript.LoadNewer();
  EXPECT_EQ(texts(), "100 101 ");
}

}  // namespace
}  // namespace quelt::ui
