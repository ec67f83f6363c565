#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "core/HistoryFileName.h"
#include "core/HistoryIndex.h"
#include "core/HistoryStore.h"
#include "core/HistoryWriter.h"
#include "platform/TextCodec.h"
#include "support/TempFolder.h"

namespace quelt::core {
namespace {

namespace fs = std::filesystem;
using platform::AsciiToUtf16;

constexpr HistoryTimings kShortWait{.lockRetryMs = 5, .lockWaitLimitMs = 100};
constexpr MessageTime kTime{2008, 3, 7, 9, 5, 30};

std::string Bytes(std::initializer_list<int> values) { return std::string(values.begin(), values.end()); }

std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (const char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes;
}

const std::string kBom = Bytes({0xFF, 0xFE});

std::vector<std::u16string> Texts(const std::optional<std::vector<HistoryMessage>>& page) {
  std::vector<std::u16string> texts;
  for (const auto& message : page.value_or(std::vector<HistoryMessage>{})) texts.push_back(message.text);
  return texts;
}

class HistoryTest : public ::testing::Test {
 protected:
  HistoryTest() { fs::create_directory(history_); }

  Conversation& Chat(std::u16string partner) {
    chats_.push_back(std::make_unique<Conversation>(history_, u"123456789",
                                                    std::vector<std::u16string>{u"123456789", partner}, u""));
    return *chats_.back();
  }

  test::TempFolder folder_;
  const fs::path history_ = folder_ / "history";
  std::vector<std::unique_ptr<Conversation>> chats_;
};

TEST_F(HistoryTest, FirstMessageOfNewPartnerCreatesFolderAndBothFiles) {
  Conversation& chat = Chat(u"someone@example.com");
  ASSERT_TRUE(AppendMessage(chat, kTime, u"someone@example.com", u"Hi"));
  const fs::path account = history_ / "123456789";
  EXPECT_EQ(test::ReadFile(account / "someone@example.com_msg.txt"), kBom + Utf16Le(u"Hi\r\n"));
  EXPECT_EQ(test::ReadFile(account / "someone@example.com_idx.dat"),
            Bytes({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}) +
                Bytes({0xD8, 0x07, 3, 7, 9, 5, 30, 1, 2, 0, 0, 0, 4, 0, 0, 0}));
  EXPECT_EQ(std::distance(fs::directory_iterator(account), fs::directory_iterator()), 2);
}

TEST_F(HistoryTest, SendersAndTextsReadBackAsStored) {
  const struct {
    std::u16string sender, text;
    uint8_t position;
  } cases[] = {{u"", u"mine", 0}, {u"555", u"", 1}, {u"stranger", u"who?", 255}, {u"555", u"Привет 👋", 1}};
  Conversation& chat = Chat(u"555");
  for (const auto& c : cases) ASSERT_TRUE(AppendMessage(chat, kTime, c.sender, c.text));

  EXPECT_EQ(test::ReadFile(chat.Paths().textFile), kBom + Utf16Le(u"mine\r\n\r\nwho?\r\nПривет 👋\r\n"));
  const std::string index = test::ReadFile(chat.Paths().indexFile);
  const auto empty = DecodeIndexRecord(std::span(reinterpret_cast<const uint8_t*>(index.data()) + 32, 16));
  EXPECT_EQ(empty, (IndexRecord{kTime, 1, 14, 0}));
  const auto page = ReadPage(chat, 0);
  ASSERT_TRUE(page);
  ASSERT_EQ(page->size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ((*page)[std::size(cases) - 1 - i], (HistoryMessage{kTime, cases[i].position, cases[i].text}));
  }
}

TEST_F(HistoryTest, TornIndexIsCutBeforeTheNextAppend) {
  Conversation& chat = Chat(u"555");
  ASSERT_TRUE(AppendMessage(chat, kTime, u"", u"one"));
  ASSERT_TRUE(AppendMessage(chat, kTime, u"", u"two"));
  std::ofstream(chat.Paths().indexFile, std::ios::binary | std::ios::app) << "torn!";
  ASSERT_EQ(fs::file_size(chat.Paths().indexFile), 16u * 3 + 5);
  ASSERT_TRUE(AppendMessage(chat, kTime, u"", u"three"));
  EXPECT_EQ(fs::file_size(chat.Paths().indexFile), 16u * 4);
  EXPECT_EQ(Texts(ReadPage(chat, 0)), (std::vector<std::u16string>{u"three", u"two", u"one"}));
}

TEST_F(HistoryTest, PagesRunFromNewestToOldest) {
  Conversation& chat = Chat(u"555");
  for (int i = 1; i <= 25; ++i) ASSERT_TRUE(AppendMessage(chat, kTime, u"", AsciiToUtf16(std::to_string(i))));
  const struct {
    uint32_t skip;
    int newest, count;
  } cases[] = {{0, 25, 10}, {10, 15, 10}, {20, 5, 5}, {24, 1, 1}, {25, 0, 0}, {UINT32_MAX, 0, 0}, {0x10000001, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.skip);
    const auto page = ReadPage(chat, c.skip);
    ASSERT_EQ(page.has_value(), c.count > 0);
    std::vector<std::u16string> expected;
    for (int i = 0; i < c.count; ++i) expected.push_back(AsciiToUtf16(std::to_string(c.newest - i)));
    EXPECT_EQ(Texts(page), expected);
  }
}

TEST_F(HistoryTest, PositionsFromTheOldestStayPutWhileMessagesArrive) {
  Conversation& chat = Chat(u"555");
  EXPECT_FALSE(ReadRecords(chat, 0, 10));
  for (int i = 0; i < 25; ++i) ASSERT_TRUE(AppendMessage(chat, kTime, u"", AsciiToUtf16(std::to_string(i))));
  const struct {
    uint64_t first;
    uint32_t count;
    std::vector<std::u16string> texts;
  } cases[] = {{0, 3, {u"0", u"1", u"2"}}, {23, 10, {u"23", u"24"}}, {25, 10, {}}, {UINT64_MAX / 2, 10, {}}};
  for (const auto& c : cases) {
    const auto slice = ReadRecords(chat, c.first, c.count);
    ASSERT_TRUE(slice);
    EXPECT_EQ(slice->total, 25u);
    EXPECT_EQ(Texts(slice->messages), c.texts) << c.first;
  }
  ASSERT_TRUE(AppendMessage(chat, kTime, u"", u"25"));
  EXPECT_EQ(Texts(ReadRecords(chat, 23, 10)->messages), (std::vector<std::u16string>{u"23", u"24", u"25"}));
}

TEST_F(HistoryTest, RecordsPointingPastTheTextFileAreSkipped) {
  Conversation& chat = Chat(u"555");
  test::WriteFile(chat.Paths().textFile, kBom + Utf16Le(u"abc\r\n"));  // 12 bytes
  std::string index(reinterpret_cast<const char*>(EncodeIndexHeader().data()), 16);
  const uint32_t ranges[][2] = {{2, 6}, {12, 0}, {13, 0}, {10, 4}, {2, UINT32_MAX}, {UINT32_MAX, 2}, {2, 5}};
  for (uint8_t i = 0; i < std::size(ranges); ++i) {
    const auto record = EncodeIndexRecord({kTime, i, ranges[i][0], ranges[i][1]});
    index.append(reinterpret_cast<const char*>(record.data()), record.size());
  }
  test::WriteFile(chat.Paths().indexFile, index + "xyz");
  const std::vector<HistoryMessage> expected = {{kTime, 6, u"ab"}, {kTime, 1, u""}, {kTime, 0, u"abc"}};
  EXPECT_EQ(ReadPage(chat, 0), expected);
  EXPECT_FALSE(ReadPage(Chat(u"nobody"), 0));
}

TEST_F(HistoryTest, MultiPartyParticipantsAreWrittenAgainAfterClearing) {
  Conversation chat(history_, u"me@x", {u"me@x", u"a@x", u"b@x"}, u"1F2E3D4C-0000-1111-2222-333344445555");
  const fs::path parties = history_ / "me@x" / "1F2E3D4C-0000-1111-2222-333344445555_parties.txt";
  EXPECT_EQ(chat.Paths().textFile.filename(), "1F2E3D4C-0000-1111-2222-333344445555_msg.txt");
  ASSERT_TRUE(AppendMessage(chat, kTime, u"b@x", u"hi"));
  EXPECT_EQ(test::ReadFile(parties), kBom + Utf16Le(u"a@x\r\nb@x\r\n"));
  EXPECT_EQ(ReadPage(chat, 0), (std::vector<HistoryMessage>{{kTime, 2, u"hi"}}));

  EXPECT_TRUE(ClearHistory(chat));
  EXPECT_TRUE(fs::is_empty(history_ / "me@x"));
  EXPECT_FALSE(ReadPage(chat, 0));
  EXPECT_TRUE(chat.AddParticipant(u"c@x"));
  ASSERT_TRUE(AppendMessage(chat, kTime, u"c@x", u"again"));
  EXPECT_EQ(test::ReadFile(parties), kBom + Utf16Le(u"a@x\r\nb@x\r\nc@x\r\n"));
  EXPECT_EQ(ReadPage(chat, 0), (std::vector<HistoryMessage>{{kTime, 3, u"again"}}));
}

TEST_F(HistoryTest, LockedFileFailsTheAppendOrTheClearingAfterTheWaitAndLeavesNoTrace) {
  const struct {
    bool lockIndex;
    int operation;
    bool readable;  // readers share the lock with readers only
  } cases[] = {{false, LOCK_EX, false}, {true, LOCK_SH, true}};
  for (const auto& c : cases) {
    Conversation& chat = Chat(c.lockIndex ? u"index" : u"text");
    ASSERT_TRUE(AppendMessage(chat, kTime, u"", u"first", kShortWait));
    const std::string text = test::ReadFile(chat.Paths().textFile), index = test::ReadFile(chat.Paths().indexFile);
    const int holder = open((c.lockIndex ? chat.Paths().indexFile : chat.Paths().textFile).c_str(), O_RDONLY);
    ASSERT_EQ(flock(holder, c.operation), 0);
    EXPECT_FALSE(AppendMessage(chat, kTime, u"", u"second", kShortWait));
    EXPECT_EQ(test::ReadFile(chat.Paths().textFile), text);
    EXPECT_EQ(test::ReadFile(chat.Paths().indexFile), index);
    EXPECT_EQ(ReadPage(chat, 0, kShortWait).has_value(), c.readable);
    EXPECT_FALSE(ClearHistory(chat, kShortWait));  // a message may be on its way into the files
    EXPECT_EQ(test::ReadFile(chat.Paths().textFile), text);
    EXPECT_EQ(test::ReadFile(chat.Paths().indexFile), index);
    close(holder);
    EXPECT_TRUE(AppendMessage(chat, kTime, u"", u"second", kShortWait));
    EXPECT_EQ(Texts(ReadPage(chat, 0)), (std::vector<std::u16string>{u"second", u"first"}));
  }
}

TEST_F(HistoryTest, FailedWritesStoreNothing) {
  // A text file past 4 GiB would need an offset that the record cannot hold.
  Conversation& big = Chat(u"big");
  ASSERT_TRUE(AppendMessage(big, kTime, u"", u"first"));
  fs::resize_file(big.Paths().textFile, uint64_t{1} << 32);
  EXPECT_FALSE(AppendMessage(big, kTime, u"", u"wrapped"));
  EXPECT_EQ(fs::file_size(big.Paths().indexFile), 32u);
  EXPECT_EQ(fs::file_size(big.Paths().textFile), uint64_t{1} << 32);

  Conversation& full = Chat(u"full");
  fs::create_directory(full.Paths().accountFolder);
  fs::create_symlink("/dev/full", full.Paths().textFile);
  EXPECT_FALSE(AppendMessage(full, kTime, u"", u"lost"));
  EXPECT_FALSE(fs::exists(full.Paths().indexFile));

  // The participants file is tried again by the next append.
  Conversation group(history_, u"123456789", {u"123456789", u"a", u"b"}, u"group");
  fs::create_symlink("/dev/full", group.Paths().participantsFile);
  EXPECT_FALSE(AppendMessage(group, kTime, u"a", u"hi"));
  EXPECT_TRUE(group.ParticipantsFilePending());
  EXPECT_FALSE(fs::exists(group.Paths().textFile));
}

TEST_F(HistoryTest, IdentifiersNeverPlaceFilesOutsideTheAccountFolder) {
  const std::u16string hostile[] = {
      u"../x", u"a/b",       u"..",          u".",           u"",   std::u16string(u"a\0b", 3), u"%",
      u"%25",  u"..\\..\\x", u"/etc/passwd", u"line\nbreak", u"%2E"};
  std::set<std::u16string> names;
  for (const auto& id : hostile) {
    names.insert(HistoryFileName(id));
    Conversation oneToOne(history_, u"acct", {u"acct", id}, u"");
    Conversation group(history_, id, {id, u"a", id}, id);
    EXPECT_TRUE(AppendMessage(oneToOne, kTime, id, u"x"));
    EXPECT_TRUE(AppendMessage(group, kTime, id, u"x"));
    EXPECT_EQ(Texts(ReadPage(group, 0)), std::vector<std::u16string>{u"x"});
  }
  EXPECT_EQ(names.size(), std::size(hostile));  // distinct identifiers never share files
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(folder_.Path())) {
    if (!entry.is_regular_file()) continue;
    ++files;
    const fs::path inside = fs::relative(fs::canonical(entry.path()), fs::canonical(history_));
    EXPECT_EQ(std::distance(inside.begin(), inside.end()), 2) << inside;
    EXPECT_NE(*inside.begin(), "..") << inside;
  }
  EXPECT_EQ(files, 5 * static_cast<int>(std::size(hostile)));
  for (const std::u16string ordinary : {u"123456789", u"someone@example.com", u"Łukasz_名前+tag-1", u"a.b"}) {
    EXPECT_EQ(HistoryFileName(ordinary), ordinary);
  }
}

TEST_F(HistoryTest, ConcurrentAppendsAndReadsKeepEveryMessage) {
  Conversation& chat = Chat(u"555");
  constexpr HistoryTimings kBusy{.lockRetryMs = 1, .lockWaitLimitMs = 20000};
  auto writer = [&](char16_t tag) {
    for (int i = 0; i < 100; ++i)
      EXPECT_TRUE(AppendMessage(chat, kTime, u"", tag + AsciiToUtf16(std::to_string(i)), kBusy));
  };
  std::thread first(writer, u'a'), second(writer, u'b');
  std::thread reader([&] {
    for (int i = 0; i < 50; ++i) {
      for (const auto& text : Texts(ReadPage(chat, 0, kBusy))) EXPECT_TRUE(text[0] == u'a' || text[0] == u'b');
    }
  });
  first.join();
  second.join();
  reader.join();
  std::set<std::u16string> texts;
  for (uint32_t skip = 0; skip < 200; skip += 10) {
    for (auto& text : Texts(ReadPage(chat, skip))) texts.insert(text);
  }
  EXPECT_EQ(texts.size(), 200u);
}

// The engines append through the writer: on their own threads, never waiting for a file.
TEST_F(HistoryTest, TheWriterNeverWaitsForAFileKeepsEachConversationsOrderAndLosesNothingAtTheEnd) {
  auto ann = std::make_shared<Conversation>(history_, u"1", std::vector<std::u16string>{u"1", u"ann"}, u"");
  auto bob = std::make_shared<Conversation>(history_, u"1", std::vector<std::u16string>{u"1", u"bob"}, u"");
  {
    HistoryWriter writer({.lockRetryMs = 5, .lockWaitLimitMs = 5000});
    ASSERT_TRUE(AppendMessage(*ann, kTime, u"", u"first"));
    const int holder = open(ann->Paths().textFile.c_str(), O_RDONLY);
    ASSERT_EQ(flock(holder, LOCK_EX), 0);
    for (int i = 0; i < 30; ++i) {
      writer.Append(i % 3 == 0 ? ann : bob, kTime, i % 2 == 0 ? u"" : u"bob", AsciiToUtf16(std::to_string(i)));
    }
    // Appending came back although Ann's file is locked: her messages are still waiting.
    EXPECT_FALSE(writer.Flush(*ann, 0));
    close(holder);
    EXPECT_EQ(Texts(writer.ReadPage(*ann, 0)),
              (std::vector<std::u16string>{u"27", u"24", u"21", u"18", u"15", u"12", u"9", u"6", u"3", u"0"}));
    const auto page = writer.ReadPage(*bob, 0);
    ASSERT_TRUE(page && page->size() == 10);
    EXPECT_EQ(page->front().text, u"29");
    EXPECT_EQ(page->front().sender, 1);  // placed when appended: "bob" is the partner
    EXPECT_EQ(page->at(1).sender, 0);
    for (int i = 30; i < 60; ++i) writer.Append(bob, kTime, u"", AsciiToUtf16(std::to_string(i)));
  }
  // The writer went with messages still queued: they were written first.
  EXPECT_EQ(Texts(ReadPage(*bob, 0)).front(), u"59");
  EXPECT_EQ(fs::file_size(bob->Paths().indexFile), kIndexHeaderSize + 50 * kIndexRecordSize);
}

TEST(MessageTimeTest, TodayShowsOnlyTheTime) {
  const MessageTime today{2024, 5, 17, 23, 0, 0};
  const struct {
    MessageTime time;
    std::u16string text;
  } cases[] = {{{2024, 5, 17, 9, 5, 0}, u"9:05"},          {{2024, 5, 17, 0, 0, 59}, u"0:00"},
               {{2008, 3, 7, 9, 5, 0}, u"7.03.08 9:05"},   {{2023, 5, 17, 14, 30, 0}, u"17.05.23 14:30"},
               {{2024, 5, 16, 9, 5, 0}, u"16.05.24 9:05"}, {{2000, 12, 31, 23, 59, 0}, u"31.12.00 23:59"}};
  for (const auto& c : cases) EXPECT_EQ(FormatMessageTime(c.time, today), c.text);
}

}  // namespace
}  // namespace quelt::core
