#include "platform/Files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <iterator>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace quelt::platform {
namespace {

long EntryCount(const test::TempFolder& folder) {
  return std::distance(std::filesystem::directory_iterator(folder.Path()), {});
}

TEST(FilesTest, ReplacesWholeFilesKeepingPermissionsAndRefusesOversizeReads) {
  test::TempFolder folder;
  const auto path = folder / "data.bin";
  const std::vector<uint8_t> shorter(7, 's');
  ASSERT_TRUE(WriteFileAtomically(path, std::vector<uint8_t>(30, 'l')));
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(path, shorter));
  EXPECT_EQ(ReadWholeFile(path, 7), shorter);
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  EXPECT_EQ(EntryCount(folder), 1);  // no temporary file left beside it
  EXPECT_FALSE(ReadWholeFile(path, 6).has_value());
  EXPECT_FALSE(ReadWholeFile(folder / "missing").has_value());
}

// A child exceeds the file size limit in the middle of a write: by default that kills it, with
// the signal ignored the write fails. Either way the old contents must survive.
TEST(FilesTest, WriteCutShortByTheFileSizeLimitLeavesTheOldFile) {
  for (const bool killed : {true, false}) {
    test::TempFolder folder;
    const auto path = folder / "state.xml";
    const std::string old(3000, 'o');
    test::WriteFile(path, old);
    const pid_t child = fork();
    if (child == 0) {
      const rlimit noCore{0, 0}, small{4096, 4096};
      setrlimit(RLIMIT_CORE, &noCore);
      setrlimit(RLIMIT_FSIZE, &small);
      signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
      _exit(WriteFileAtomically(path, std::vector<uint8_t>(1 << 20, 'n')) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_EQ(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ, killed) << status;
    EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 0 && EntryCount(folder) == 1, !killed) << status;
    EXPECT_EQ(test::ReadFile(path), old);
  }
}

}  // namespace
}  // namespace quelt::platform
