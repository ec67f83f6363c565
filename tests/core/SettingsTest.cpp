#include "core/Settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/ConfigFile.h"
#include "platform/Event.h"
#include "support/TempFolder.h"

namespace quelt::core {
namespace {

const std::string kOldFile = "UIN=42\r\nPASSWORD=hunter2\r\nSOUND=False\r\nLOGINHOSTS=a.example:1\r\n";

// Runs `body` in a child process and returns its wait status.
int RunInChild(const std::function<int()>& body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  return status;
}

void LimitFileSize(rlim_t bytes) {
  const rlimit limit{bytes, bytes};
  setrlimit(RLIMIT_FSIZE, &limit);
}

class SettingsTest : public ::testing::Test {
 protected:
  SettingsEnvironment Environment() const { return {folder_.Path(), folder_ / "docs", 176}; }
  std::shared_ptr<Settings> Make() const { return std::make_shared<Settings>(Environment()); }
  std::filesystem::path ConfigPath() const { return folder_ / "Messenger.config"; }
  std::string ConfigText() const { return test::ReadFile(ConfigPath()); }
  void WriteConfig(std::string_view text) const { test::WriteFile(ConfigPath(), text); }

  // Every file in the program folder other than the configuration itself.
  std::vector<std::filesystem::path> Leftovers() const {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path())) {
      if (entry.path() != ConfigPath()) files.push_back(entry.path());
    }
    return files;
  }

  void ExpectOldFileIntact() const {
    EXPECT_EQ(ConfigText(), kOldFile);
    const SettingsValues values = Make()->Values();
    EXPECT_EQ(values.uin, u"42");
    EXPECT_EQ(values.password, u"hunter2");
    EXPECT_FALSE(values.sound);
  }

  test::TempFolder folder_;
};

TEST_F(SettingsTest, MissingOrEmptyFileGivesDefaults) {
  EXPECT_EQ(Make()->FilePath(), ConfigPath());
  EXPECT_EQ(Make()->Values(), DefaultSettingsValues(Environment()));
  WriteConfig("");
  EXPECT_EQ(Make()->Values(), DefaultSettingsValues(Environment()));
  EXPECT_EQ(Make()->Values().skinSource, u"Default.Skin.xml");
}

TEST_F(SettingsTest, ReadsTheFileOnlyOnce) {
  WriteConfig(kOldFile);
  const auto settings = Make();
  const SettingsValues first = settings->Values();
  EXPECT_EQ(first.uin, u"42");
  EXPECT_TRUE(first.icqEnabled);
  EXPECT_EQ(first.loginHosts, (std::vector<LoginHost>{{"a.example", "1"}}));

  WriteConfig("UIN=7\r\n");
  EXPECT_EQ(settings->Values(), first);
  EXPECT_EQ(Make()->Values().uin, u"7");
}

TEST_F(SettingsTest, SaveWritesTheWholeFileAndReloads) {
  WriteConfig(kOldFile);
  const auto settings = Make();
  // Saving before anything was read must not write the defaults over the file.
  ASSERT_TRUE(settings->Save());
  EXPECT_EQ(Make()->Values(), settings->Values());
  EXPECT_EQ(ConfigText().find("hunter2"), std::string::npos);
  EXPECT_NE(ConfigText().find("\r\nPASSWORD=###AFCB336876B82B\r\n"), std::string::npos);

  settings->Update([](SettingsValues& values) {
    values.msnEmail = u"me@example.com";
    values.msnPassword = u"p\u00E4ss";
    values.msnEnabled = true;
    values.keys[2] = KeyAction::None;
  });
  ASSERT_TRUE(settings->Save());
  EXPECT_EQ(ConfigText(), SerializeConfig(settings->Values()));
  EXPECT_EQ(Make()->Values(), settings->Values());
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(SettingsTest, FileEditedWithLineFeedsLoadsAndIsSavedWithCrLf) {
  WriteConfig("\xEF\xBB\xBFSHOW_OFFLINE=True\nUIN=42\nMSN_EMAIL=me@example.com\nMSN_ENABLED=true\n");
  const auto settings = Make();
  const SettingsValues values = settings->Values();
  EXPECT_TRUE(values.showOffline);
  EXPECT_TRUE(values.icqEnabled);
  EXPECT_TRUE(values.msnEnabled);
  ASSERT_TRUE(settings->Save());
  EXPECT_EQ(ConfigText(), SerializeConfig(values));
  EXPECT_EQ(Make()->Values(), values);
}

TEST_F(SettingsTest, CloneIsLoadedAndIndependent) {
  WriteConfig(kOldFile);
  const auto original = Make();
  const auto clone = original->Clone();
  EXPECT_EQ(clone->Values(), original->Values());
  EXPECT_EQ(clone->FilePath(), original->FilePath());

  WriteConfig("UIN=7\r\n");
  clone->Update([](SettingsValues& values) { values.vibroCount = 9; });
  EXPECT_EQ(clone->Values().uin, u"42");
  EXPECT_EQ(clone->Values().vibroCount, 9);
  EXPECT_EQ(original->Values().vibroCount, 5);
}

TEST_F(SettingsTest, ConcurrentFirstReadersAllSeeTheFile) {
  WriteConfig(kOldFile);
  const auto settings = Make();
  platform::Event start(platform::Event::Mode::ManualReset);
  constexpr int kReaders = 8;
  std::vector<SettingsValues> seen(kReaders);
  std::vector<std::thread> readers;
  for (int i = 0; i < kReaders; ++i) {
    readers.emplace_back([&, i] {
      (void)start.Wait();
      seen[static_cast<size_t>(i)] = settings->Values();
    });
  }
  start.Set();
  for (auto& reader : readers) reader.join();
  for (const auto& values : seen) {
    EXPECT_EQ(values.uin, u"42");
    EXPECT_EQ(values.password, u"hunter2");
  }
}

TEST_F(SettingsTest, ConcurrentSavesLeaveTheNewestValues) {
  const auto settings = Make();
  platform::Event start(platform::Event::Mode::ManualReset);
  std::vector<std::thread> writers;
  for (int i = 0; i < 4; ++i) {
    writers.emplace_back([&, i] {
      (void)start.Wait();
      for (int round = 0; round < 10; ++round) {
        settings->Update([&](SettingsValues& values) { values.vibroCount = i * 100 + round; });
        EXPECT_TRUE(settings->Save());
      }
    });
  }
  start.Set();
  for (auto& writer : writers) writer.join();
  EXPECT_EQ(ConfigText(), SerializeConfig(settings->Values()));
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(SettingsTest, FailedWriteKeepsTheOldFile) {
  WriteConfig(kOldFile);
  const auto settings = Make();
  settings->Update([](SettingsValues& values) { values.uin = std::u16string(1 << 20, u'9'); });

  // A full disk: writes fail with EFBIG once the file would pass the limit.
  const int status = RunInChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    LimitFileSize(4096);
    return settings->Save() ? 1 : 0;
  });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "Save reported success";
  ExpectOldFileIntact();
  EXPECT_TRUE(Leftovers().empty());

  // A folder that is gone.
  const auto nowhere = std::make_shared<Settings>(SettingsEnvironment{folder_ / "missing", folder_.Path(), 240});
  EXPECT_FALSE(nowhere->Save());
  EXPECT_FALSE(std::filesystem::exists(folder_ / "missing"));
}

TEST_F(SettingsTest, ReadOnlyFolderKeepsTheOldFile) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
  WriteConfig(kOldFile);
  const auto settings = Make();
  settings->Update([](SettingsValues& values) { values.uin = u"7"; });
  ASSERT_EQ(chmod(folder_.Path().c_str(), 0555), 0);
  EXPECT_FALSE(settings->Save());
  ASSERT_EQ(chmod(folder_.Path().c_str(), 0755), 0);
  ExpectOldFileIntact();
}

TEST_F(SettingsTest, CrashDuringSaveKeepsTheOldFile) {
  WriteConfig(kOldFile);
  const auto settings = Make();
  settings->Update([](SettingsValues& values) { values.uin = std::u16string(1 << 20, u'9'); });

  // The process dies part-way through writing, as on a crash or a pulled battery.
  const int status = RunInChild([&] {
    signal(SIGXFSZ, SIG_DFL);
    LimitFileSize(65536);
    (void)settings->Save();
    return 0;
  });
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  ExpectOldFileIntact();

  // Whatever the dead process left beside the file does not stop the next save.
  const auto next = Make();
  next->Update([](SettingsValues& values) { values.uin = u"7"; });
  ASSERT_TRUE(next->Save());
  EXPECT_EQ(ConfigText(), SerializeConfig(next->Values()));
  EXPECT_EQ(Make()->Values().uin, u"7");
}

TEST_F(SettingsTest, StaleFileFromCrashBeforeRenameIsIgnored) {
  WriteConfig(kOldFile);
  // A complete new file that never replaced the old one.
  const std::filesystem::path stale = folder_ / "Messenger.config.q3XzQ1";
  test::WriteFile(stale, "UIN=7\r\nSOUND=True\r\n");

  const auto settings = Make();
  EXPECT_EQ(settings->Values().uin, u"42");
  settings->Update([](SettingsValues& values) { values.vibroCount = 2; });
  ASSERT_TRUE(settings->Save());
  EXPECT_EQ(ConfigText(), SerializeConfig(settings->Values()));
  EXPECT_EQ(Make()->Values().vibroCount, 2);
  EXPECT_EQ(Make()->Values().uin, u"42");
}

}  // namespace
}  // namespace quelt::core
