#include "platform/Folders.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <string>

#include "support/TempFolder.h"

namespace quelt::platform {
namespace {

using test::ScopedEnv;
using test::TempFolder;
using test::WriteFile;

class FoldersTest : public ::testing::Test {
 protected:
  TempFolder home_;
  ScopedEnv homeEnv_{"HOME", home_.Path().string()};
  ScopedEnv configEnv_{"XDG_CONFIG_HOME", std::nullopt};
  ScopedEnv dataEnv_{"XDG_DATA_HOME", std::nullopt};
};

TEST_F(FoldersTest, DocumentsComeFromUserDirsWhenThatFolderExists) {
  struct Case {
    const char* name;
    std::string line;
    std::filesystem::path expected;
  };
  std::filesystem::create_directories(home_ / "Dokumente");
  std::filesystem::create_directories(home_ / "My Papers");
  const Case cases[] = {
      {"home-relative in quotes", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"", home_ / "Dokumente"},
      {"absolute", "XDG_DOCUMENTS_DIR=\"" + (home_ / "My Papers").string() + "\"", home_ / "My Papers"},
      {"unquoted", "XDG_DOCUMENTS_DIR=$HOME/Dokumente", home_ / "Dokumente"},
      {"backslash escape", "XDG_DOCUMENTS_DIR=\"$HOME/Do\\kumente\"", home_ / "Dokumente"},
      {"folder missing", "XDG_DOCUMENTS_DIR=\"$HOME/Nowhere\"", home_.Path()},
      {"relative path", "XDG_DOCUMENTS_DIR=\"Dokumente\"", home_.Path()},
      {"commented out", "# XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"", home_.Path()},
      {"other key", "XDG_DOWNLOAD_DIR=\"$HOME/Dokumente\"", home_.Path()},
      {"unterminated quote", "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente", home_.Path()},
  };
  for (const auto& c : cases) {
    WriteFile(home_ / ".config" / "user-dirs.dirs", "# written by xdg-user-dirs-update\n" + c.line + "\n");
    EXPECT_EQ(DocumentsFolder(), c.expected) << c.name;
  }
}

TEST_F(FoldersTest, DocumentsFallBackToHomeWithoutUserDirs) { EXPECT_EQ(DocumentsFolder(), home_.Path()); }

TEST_F(FoldersTest, UserDirsAreReadFromTheConfigHome) {
  TempFolder config;
  ScopedEnv configEnv("XDG_CONFIG_HOME", config.Path().string());
  std::filesystem::create_directories(home_ / "Docs");
  WriteFile(config / "user-dirs.dirs", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\r\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\r\n");
  EXPECT_EQ(DocumentsFolder(), home_ / "Docs");
  EXPECT_EQ(ConfigFolder(), config / "quelt");
}

TEST_F(FoldersTest, ConfigAndDataFoldersFollowTheXdgVariables) {
  EXPECT_EQ(ConfigFolder(), home_ / ".config" / "quelt");
  EXPECT_EQ(AppDataFolder(), home_ / ".local" / "share");
  {
    ScopedEnv config("XDG_CONFIG_HOME", "/somewhere/config");
    ScopedEnv data("XDG_DATA_HOME", "/somewhere/data");
    EXPECT_EQ(ConfigFolder(), std::filesystem::path("/somewhere/config/quelt"));
    EXPECT_EQ(AppDataFolder(), std::filesystem::path("/somewhere/data"));
  }
  // Relative values are invalid by the XDG rules and ignored.
  ScopedEnv config("XDG_CONFIG_HOME", "relative/config");
  ScopedEnv data("XDG_DATA_HOME", "");
  EXPECT_EQ(ConfigFolder(), home_ / ".config" / "quelt");
  EXPECT_EQ(AppDataFolder(), home_ / ".local" / "share");
}

TEST_F(FoldersTest, HomeComesFromThePasswordDatabaseWhenUnset) {
  ScopedEnv noHome("HOME", std::nullopt);
  const passwd* entry = getpwuid(getuid());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(AppDataFolder(), std::filesystem::path(entry->pw_dir) / ".local" / "share");
}

TEST_F(FoldersTest, RuntimeFolderIsXdgRuntimeDirOrAPrivateTemporaryFolder) {
  {
    ScopedEnv runtime("XDG_RUNTIME_DIR", home_.Path().string());
    EXPECT_EQ(RuntimeFolder(), home_.Path());
  }
  ScopedEnv runtime("XDG_RUNTIME_DIR", std::nullopt);
  const auto folder = RuntimeFolder();
  EXPECT_EQ(folder, std::filesystem::path("/tmp/quelt-" + std::to_string(geteuid())));
  struct stat status {};
  ASSERT_EQ(lstat(folder.c_str(), &status), 0);
  EXPECT_TRUE(S_ISDIR(status.st_mode));
  EXPECT_EQ(status.st_uid, geteuid());
  EXPECT_EQ(status.st_mode & 0777, 0700u);
}

TEST_F(FoldersTest, ProgramFolderHoldsTheExecutableWhateverTheWorkingFolder) {
  const auto before = ProgramFolder();
  const auto working = std::filesystem::current_path();
  std::filesystem::current_path(home_.Path());
  const auto after = ProgramFolder();
  std::filesystem::current_path(working);
  EXPECT_EQ(before, after);
  EXPECT_TRUE(before.is_absolute());
  EXPECT_TRUE(std::filesystem::exists(before / program_invocation_short_name));
}

}  // namespace
}  // namespace quelt::platform
