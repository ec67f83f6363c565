// File names taken from links, and the list's file: what it keeps, what it refuses, and that a
// save cut off at any moment leaves a whole list behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "download/DownloadFileName.h"
#include "download/DownloadStateFile.h"
#include "support/TempFolder.h"

namespace quelt::download {
namespace {

TEST(DownloadFileNameTest, NamesStayPlainFilesInsideTheFolder) {
  const struct {
    std::u16string_view link;
    std::u16string_view name;
  } cases[] = {
      {u"http://h.example/dir/file.zip", u"file.zip"},
      {u"http://h.example/dir/", u"dir"},
      {u"http://h.example/", u"Unknown.file"},
      {u"http://h.example", u"Unknown.file"},
      {u"not a link", u"Unknown.file"},
      {u"http://h.example/get.php?f=/etc/passwd#x", u"get.php"},
      {u"http://h.example/a/..", u"Unknown.file"},
      {u"http://h.example/.", u"Unknown.file"},
      {u"http://h.example/Downloads.xml", u"_Downloads.xml"},
      {u"http://h.example/DOWNLOADS.XML", u"_DOWNLOADS.XML"},
      // Percent escapes are not decoded, so an encoded slash cannot climb out of the folder.
      {u"http://h.example/..%2F..%2F.bashrc", u"..%2F..%2F.bashrc"},
      {u"http://h.example/\u0444\u0430\u0439\u043b.txt", u"\u0444\u0430\u0439\u043b.txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FileNameFromLink(c.link), c.name) << std::string(c.link.begin(), c.link.end());
  }
  // A name read back from a list someone else wrote.
  EXPECT_EQ(SafeFileName(u"../../.bashrc"), u".._.._.bashrc");
  EXPECT_EQ(SafeFileName(u".."), u"Unknown.file");
  EXPECT_EQ(SafeFileName(u"downloads.xml"), u"_downloads.xml");
}

TEST(DownloadStateFileTest, RoundTripAndForgivingReads) {
  test::TempFolder folder;
  const auto file = folder.Path() / "Downloads.xml";
  const std::vector<DownloadRecord> records = {
      {.url = u"http://h.example/a&b?x=\"1\"",
       .fileName = u"\u0444\u0430\u0439\u043b <1>.txt",
       .partial = 10,
       .totalSize = 4294967295u,
       .complete = true},
      {.url = u"http://h.example/b", .fileName = u"b", .partial = 0, .totalSize = 0, .complete = false},
  };
  ASSERT_TRUE(SaveDownloadList(file, records));
  EXPECT_EQ(LoadDownloadList(file), records);

  const std::string stored =
      "<downloads><download url='http://x/1' filename='1' partial='12abc' totalsize='-3' complete='2'/>"
      "<download filename='no link'/><download url='http://x/2' complete='1' totalsize='99999999999'/></downloads>";
  const auto read = ParseDownloadList(std::span(reinterpret_cast<const uint8_t*>(stored.data()), stored.size()));
  ASSERT_EQ(read.size(), 2u);
  EXPECT_EQ(read[0], (DownloadRecord{.url = u"http://x/1", .fileName = u"1"}));
  EXPECT_EQ(read[1], (DownloadRecord{.url = u"http://x/2", .complete = true}));
  EXPECT_TRUE(LoadDownloadList(folder.Path() / "missing.xml").empty());
}

TEST(DownloadStateFileTest, ASaveKilledAtAnyMomentLeavesAWholeList) {
  test::TempFolder folder;
  const auto file = folder.Path() / "Downloads.xml";
  std::vector<DownloadRecord> small(3, {.url = u"http://h.example/small"});
  std::vector<DownloadRecord> large(2000, {.url = u"http://h.example/a-rather-longer-link/to/a/file.bin"});
  ASSERT_TRUE(SaveDownloadList(file, small));
  for (int round = 0; round < 10; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) (void)SaveDownloadList(file, (round % 2) != 0 ? small : large);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(3 + 7 * round));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const size_t count = LoadDownloadList(file).size();
    EXPECT_TRUE(count == small.size() || count == large.size()) << count;
  }
}

}  // namespace
}  // namespace quelt::download
