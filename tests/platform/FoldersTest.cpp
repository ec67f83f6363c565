#include "platform/Folders.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "support/TempFolder.h"

namespace quelt::platform {
namespace {

using test::ScopedEnv;
using test::TempFolder;

TEST(FoldersTest, FoldersFollowTheXdgVariablesAndUserDirs) {
  struct Case {
    const char* name;
    std::optional<std::string> configHome;  // in all paths "~" stands for the home folder
    std::optional<std::string> dataHome;
    std::string userDirsLine;
    std::string documents, config, data;
  };
  const Case cases[] = {
      {"defaults", {}, {}, "", "~", "~/.config/quelt", "~/.local/share"},
      {"XDG variables", "~/cfg", "~/data", "XDG_DOCUMENTS_DIR=\"$HOME/Do\\cs\"", "~/Docs", "~/cfg/quelt", "~/data"},
      {"relative, empty", "cfg", "", "XDG_DOCUMENTS_DIR=$HOME/Docs", "~/Docs", "~/.config/quelt", "~/.local/share"},
      {"documents missing", {}, {}, "XDG_DOCUMENTS_DIR=\"$HOME/Nowhere\"", "~", "~/.config/quelt", "~/.local/share"},
      {"commented out", {}, {}, "# XDG_DOCUMENTS_DIR=\"$HOME/Docs\"", "~", "~/.config/quelt", "~/.local/share"},
      {"unterminated quote", {}, {}, "XDG_DOCUMENTS_DIR=\"$HOME/Docs", "~", "~/.config/quelt", "~/.local/share"},
  };
  for (const auto& c : cases) {
    TempFolder home;
    const auto expand = [&home](const std::string& path) {
      return std::filesystem::path(path.starts_with('~') ? home.Path().string() + path.substr(1) : path);
    };
    ScopedEnv homeEnv("HOME", home.Path().string());
    ScopedEnv configEnv("XDG_CONFIG_HOME", c.configHome ? std::optional(expand(*c.configHome).string()) : std::nullopt);
    ScopedEnv dataEnv("XDG_DATA_HOME", c.dataHome ? std::optional(expand(*c.dataHome).string()) : std::nullopt);
    std::filesystem::create_directories(home / "Docs");
    test::WriteFile(expand(c.config).parent_path() / "user-dirs.dirs", "# comment\r\n" + c.userDirsLine + "\n");
    EXPECT_EQ(DocumentsFolder(), expand(c.documents)) << c.name;
    EXPECT_EQ(ConfigFolder(), expand(c.config)) << c.name;
    EXPECT_EQ(AppDataFolder(), expand(c.data)) << c.name;
  }
}

}  // namespace
}  // namespace quelt::platform
