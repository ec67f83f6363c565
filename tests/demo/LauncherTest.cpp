// The launcher as a person runs it: its folder, a second start, the end of the messenger ending
// the network, and a demo port that is taken.
#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <regex>

#include "support/ChildProcess.h"
#include "support/LoopbackServer.h"
#include "support/TempFolder.h"
#include "support/XServer.h"

namespace quelt {
namespace {

using namespace std::chrono_literals;

class LauncherTest : public ::testing::Test {
 protected:
  std::unique_ptr<test::ChildProcess> Launch(const std::string& display, const std::vector<std::string>& arguments) {
    std::filesystem::create_directories(home_ / "run");
    return test::ChildProcess::Start(QUELT_LAUNCHER_PATH,
                                     {{"DISPLAY", display},
                                      {"SDL_VIDEODRIVER", ""},
                                      {"HOME", home_.Path().string()},
                                      {"XDG_RUNTIME_DIR", (home_ / "run").string()},
                                      {"XDG_CONFIG_HOME", (home_ / "config").string()},
                                      {"XDG_DATA_HOME", (home_ / "data").string()},
                                      {"QUELT_LOG", "1"}},
                                     arguments);
  }
  [[nodiscard]] std::filesystem::path Folder() const { return home_ / "data" / "quelt-demo"; }

  test::TempFolder home_;
};

// The process running the demo folder's messenger; 0 when none.
int MessengerPid(const std::filesystem::path& program) {
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    std::error_code error;
    // By path: the tests' other messengers are hard links of the same file.
    if (std::filesystem::read_symlink(entry.path() / "exe", error) == program) {
      return std::stoi(entry.path().filename().string());
    }
  }
  return 0;
}

TEST_F(LauncherTest, MakesTheFolderBringsItForwardAndEndsTheNetworkWithTheMessenger) {
  test::XServer x;
  ASSERT_FALSE(x.Display().empty());
  auto launcher = Launch(x.Display(), {"--port-base", "0"});
  ASSERT_NE(launcher, nullptr);
  ASSERT_TRUE(launcher->WaitForStderr("ICQ: 100100 signed in", 30s)) << launcher->Stderr();
  ASSERT_TRUE(launcher->WaitForStderr("MSN: you@demo.example signed in", 30s)) << launcher->Stderr();

  const std::string config = test::ReadFile(Folder() / "Messenger.config");
  EXPECT_NE(config.find("MSN_CA_FILE=" + (Folder() / "demo-ca.pem").string() + "\r\n"), std::string::npos) << config;
  EXPECT_TRUE(std::filesystem::exists(Folder() / "demo-ca.pem"));
  std::smatch icq;
  ASSERT_TRUE(std::regex_search(config, icq, std::regex("LOGINHOSTS=127\\.0\\.0\\.1:([0-9]+)"))) << config;
  const auto icqPort = uint16_t(std::stoi(icq[1]));
  EXPECT_TRUE(test::LoopbackServer::CanConnect(icqPort));

  // A second start hands over to the running messenger and leaves the first demo alone.
  auto second = Launch(x.Display(), {"--port-base", "0"});
  ASSERT_NE(second, nullptr);
  const auto secondExit = second->WaitForExit(20s);
  ASSERT_TRUE(secondExit.has_value()) << second->Stderr();
  EXPECT_EQ(secondExit->code, 0) << second->Stderr();
  EXPECT_NE(second->Stderr().find("come to the front"), std::string::npos) << second->Stderr();
  EXPECT_FALSE(launcher->WaitForExit(0ms).has_value());

  const int messenger = MessengerPid(Folder() / "QUELTMessenger");
  ASSERT_NE(messenger, 0);
  kill(messenger, SIGTERM);
  const auto exit = launcher->WaitForExit(30s);
  ASSERT_TRUE(exit.has_value()) << launcher->Stderr();
  EXPECT_EQ(exit->code, 0) << launcher->Stderr();
  EXPECT_FALSE(std::filesystem::exists(Folder() / "demo-ca.pem"));
  EXPECT_FALSE(test::LoopbackServer::CanConnect(icqPort));
}

TEST_F(LauncherTest, ATakenPortIsNamedOnOneLine) {
  // The Passport port, base + 3, is the first the network takes: what else may be taken around
  // it on a busy machine does not matter.
  test::LoopbackServer squatter([](int) {});
  const std::string port = squatter.PortText();
  auto launcher = Launch("", {"--port-base", std::to_string(squatter.Port() - 3)});
  ASSERT_NE(launcher, nullptr);
  const auto exit = launcher->WaitForExit(20s);
  ASSERT_TRUE(exit.has_value());
  EXPECT_NE(exit->code, 0);
  EXPECT_EQ(launcher->Stderr(), "quelt-demo: port " + port + " (Passport) is already in use\n");
}

}  // namespace
}  // namespace quelt
