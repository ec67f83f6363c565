#include "platform/Files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace quelt::platform {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `body` in a forked child and returns its wait status; the child exits with the value.
int RunInChild(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child == 0) _exit(body());
  int status = 0;
  waitpid(child, &status, 0);
  return status;
}

TEST(FilesTest, WritesAndReplacesWholeFiles) {
  TempFolder folder;
  const auto path = folder / "data.bin";
  const std::string first("first\0contents", 14);
  ASSERT_TRUE(WriteFileAtomically(path, Bytes(first)));
  EXPECT_EQ(ReadFile(path), first);
  ASSERT_TRUE(WriteFileAtomically(path, Bytes("second, shorter")));
  const auto read = ReadWholeFile(path);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(std::string(read->begin(), read->end()), "second, shorter");
  ASSERT_TRUE(WriteFileAtomically(path, {}));
  EXPECT_EQ(ReadWholeFile(path)->size(), 0u);
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"data.bin"});
}

TEST(FilesTest, ReplacementKeepsThePermissionsOfTheOldFile) {
  TempFolder folder;
  const auto path = folder / "private.txt";
  WriteFile(path, "old");
  ASSERT_EQ(chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(WriteFileAtomically(path, Bytes("new")));
  struct stat status {};
  ASSERT_EQ(stat(path.c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
}

TEST(FilesTest, WritingThroughASymbolicLinkReplacesItsTarget) {
  TempFolder folder;
  WriteFile(folder / "real.txt", "old");
  std::filesystem::create_symlink("real.txt", folder / "link.txt");
  ASSERT_TRUE(WriteFileAtomically(folder / "link.txt", Bytes("new")));
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.txt"));
  EXPECT_EQ(ReadFile(folder / "real.txt"), "new");
}

TEST(FilesTest, ReadRefusesFilesAboveTheLimitAndWhatIsNotAFile) {
  TempFolder folder;
  const auto path = folder / "ten.bin";
  WriteFile(path, "0123456789");
  EXPECT_EQ(ReadWholeFile(path, 10)->size(), 10u);
  EXPECT_FALSE(ReadWholeFile(path, 9).has_value());
  EXPECT_FALSE(ReadWholeFile(folder / "missing").has_value());
  EXPECT_FALSE(ReadWholeFile(folder.Path()).has_value());
}

TEST(FilesTest, FailsWithoutTouchingTheTargetWhenItCannotBeWritten) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "subfolder");
  // A folder where the file should be, and a file where a folder should be.
  EXPECT_FALSE(WriteFileAtomically(folder / "subfolder", Bytes("x")));
  EXPECT_TRUE(std::filesystem::is_directory(folder / "subfolder"));
  WriteFile(folder / "plain", "keep");
  EXPECT_FALSE(WriteFileAtomically(folder / "plain" / "inner", Bytes("x")));
  EXPECT_EQ(ReadFile(folder / "plain"), "keep");
}

TEST(FilesTest, FailsInAFolderThatIsNotWritable) {
  TempFolder folder;
  const auto locked = folder / "locked";
  WriteFile(locked / "file.txt", "old");
  ASSERT_EQ(chmod(locked.c_str(), 0555), 0);
  ASSERT_EQ(chmod(folder.Path().c_str(), 0755), 0);
  ASSERT_EQ(chmod((locked / "file.txt").c_str(), 0666), 0);
  // Root ignores permissions, so the attempt is made by a child that gave up its privileges.
  constexpr int kCannotDropPrivileges = 77;
  const int status = RunInChild([&] {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return kCannotDropPrivileges;
    return WriteFileAtomically(locked / "file.txt", Bytes("new")) ? 1 : 0;
  });
  chmod(locked.c_str(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == kCannotDropPrivileges) GTEST_SKIP() << "cannot drop root privileges";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFile(locked / "file.txt"), "old");
  EXPECT_EQ(FolderEntries(locked), std::vector<std::string>{"file.txt"});
}

TEST(FilesTest, ProcessKilledInTheMiddleOfAWriteLeavesTheOldFile) {
  TempFolder folder;
  const auto path = folder / "state.xml";
  const std::string old(3000, 'o');
  WriteFile(path, old);
  const int status = RunInChild([&] {
    // Exceeding the file size limit raises SIGXFSZ, which kills the process mid-write.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit small{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &small);
    signal(SIGXFSZ, SIG_DFL);
    const std::vector<uint8_t> large(1 << 20, 'n');
    return WriteFileAtomically(path, large) ? 1 : 0;
  });
  ASSERT_TRUE(WIFSIGNALED(status)) << "status " << status;
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  EXPECT_EQ(ReadFile(path), old);
}

TEST(FilesTest, FileTooLargeIsReportedAndCleanedUp) {
  TempFolder folder;
  const auto path = folder / "state.xml";
  const std::string old(3000, 'o');
  WriteFile(path, old);
  const int status = RunInChild([&] {
    const rlimit small{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &small);
    signal(SIGXFSZ, SIG_IGN);
    const std::vector<uint8_t> large(1 << 20, 'n');
    return WriteFileAtomically(path, large) ? 1 : 0;
  });
  ASSERT_TRUE(WIFEXITED(status)) << "status " << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(FolderEntries(folder.Path()), std::vector<std::string>{"state.xml"});
}

}  // namespace
}  // namespace quelt::platform
