#include "core/Settings.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/Event.h"
#include "support/TempFolder.h"

namespace quelt::core {
namespace {

const std::string kOldFile = "UIN=42\r\nPASSWORD=hunter2\r\nSOUND=False\r\n";

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { test::WriteFile(ConfigPath(), kOldFile); }
  std::shared_ptr<Settings> Make() const {
    return std::make_shared<Settings>(SettingsEnvironment{folder_.Path(), folder_ / "docs", 176});
  }
  std::filesystem::path ConfigPath() const { return folder_ / Settings::kFileName; }

  test::TempFolder folder_;
};

TEST_F(SettingsTest, ConcurrentFirstReadersAllSeeTheFile) {
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
  for (const auto& values : seen) EXPECT_EQ(values.uin, u"42");
}

TEST_F(SettingsTest, FailedOrInterruptedSaveKeepsTheOldFile) {
  const auto settings = Make();
  settings->Update([](SettingsValues& values) { values.uin = std::u16string(1 << 20, u'9'); });
  // A file size limit stands in for a full disk; with SIGXFSZ left at its default the process dies
  // part-way through the write, as on a crash or a pulled battery.
  for (const bool dies : {false, true}) {
    SCOPED_TRACE(dies ? "process dies" : "write fails");
    const pid_t pid = fork();
    if (pid == 0) {
      signal(SIGXFSZ, dies ? SIG_DFL : SIG_IGN);
      const rlimit limit{65536, 65536};
      setrlimit(RLIMIT_FSIZE, &limit);
      _exit(settings->Save() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    if (dies) {
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << status;
    } else {
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "Save reported success";
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 1) << "a file was left behind";
    }
    EXPECT_EQ(test::ReadFile(ConfigPath()), kOldFile);
    EXPECT_EQ(Make()->Values().uin, u"42");
  }
}

TEST_F(SettingsTest, StaleTemporaryFileIsIgnored) {
  // A complete new file from a save that crashed before it could replace the old one.
  test::WriteFile(folder_ / "Messenger.config.q3XzQ1", "UIN=7\r\n");
  const auto settings = Make();
  EXPECT_EQ(settings->Values().uin, u"42");
  settings->Update([](SettingsValues& values) { values.vibroCount = 2; });
  ASSERT_TRUE(settings->Save());
  EXPECT_EQ(Make()->Values().uin, u"42");
  EXPECT_EQ(Make()->Values().vibroCount, 2);
}

TEST_F(SettingsTest, CloneNeverReadsTheFile) {
  const auto original = Make();
  original->Update([](SettingsValues& values) { values.vibroCount = 9; });
  const auto clone = original->Clone();
  test::WriteFile(ConfigPath(), "UIN=7\r\n");
  EXPECT_EQ(clone->Values(), original->Values());
  clone->Update([](SettingsValues& values) { values.vibroCount = 3; });
  EXPECT_EQ(original->Values().vibroCount, 9);
}

}  // namespace
}  // namespace quelt::core
