// The messenger on an X server of its own, driven from outside by the keys a person presses,
// signed in to the loopback OSCAR fixture: from an X key event to the server and back out.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/ChildProcess.h"
#include "support/OscarServer.h"
#include "support/TempFolder.h"
#include "support/XServer.h"

namespace quelt {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;
using test::OscarServer;

class ProgramUiTest : public ::testing::Test {
 protected:
  ProgramUiTest() {
    const auto built = std::filesystem::path(QUELT_PROGRAM_PATH).parent_path();
    std::filesystem::create_directories(home_ / "bin");
    std::filesystem::create_directories(home_ / "run");
    std::filesystem::copy_file(QUELT_PROGRAM_PATH, home_ / "bin" / "QUELTMessenger");
    for (const char* kind : {"Skin", "Icons", "Language", "QSearch", "Sounds"}) {
      std::filesystem::create_directory_symlink(built / kind, home_ / "bin" / kind);
    }
  }

  // Presses keys (xdotool's names) in the messenger's window, as a keyboard would.
  void Press(const std::vector<std::string>& keys) {
    const auto error = x_.Xdotool("Quelt Messenger", "key", keys);
    ASSERT_TRUE(error.empty()) << error;
  }
  // Types text, which reaches the program as text input.
  void Type(const std::string& text) {
    const auto error = x_.Xdotool("Quelt Messenger", "type", {text});
    ASSERT_TRUE(error.empty()) << error;
  }

  test::TempFolder home_;
  test::XServer x_;
};

TEST_F(ProgramUiTest, KeysInTheWindowReachTheServerAndQuitEndsTheProgram) {
  ASSERT_TRUE(std::filesystem::exists(test::kXvfbPath) && std::filesystem::exists(test::kXdotoolPath))
      << "Xvfb and xdotool are needed (tools/install-deps.sh installs them)";
  ASSERT_FALSE(x_.Display().empty()) << "no X server could be started";
  OscarServer server(OscarServer::Script{.list = {{"Friends", 1, 0, 1}, {"Work", 2, 0, 1}, {"2222", 1, 60, 0}}});
  test::WriteFile(home_ / "bin" / "Messenger.config",
                  "ICQ_ENABLED=TRUE\r\nUIN=123456789\r\nPASSWORD=secret\r\nLOGINHOSTS=127.0.0.1:" +
                      std::to_string(server.LoginPort()) +
                      "\r\nAUTO_CONNECT=TRUE\r\nICQ_AUTO_STATUS=0\r\nSHOW_OFFLINE=TRUE\r\n");
  auto program =
      ChildProcess::Start(home_ / "bin" / "QUELTMessenger", {{"DISPLAY", x_.Display()},
                                                             {"SDL_VIDEODRIVER", ""},
                                                             {"HOME", home_.Path().string()},
                                                             {"XDG_RUNTIME_DIR", (home_ / "run").string()},
                                                             {"XDG_CONFIG_HOME", (home_ / "config").string()},
                                                             {"XDG_DATA_HOME", (home_ / "data").string()},
                                                             {"QUELT_LOG", "1"}});
  ASSERT_NE(program, nullptr);
  ASSERT_TRUE(program->WaitForStderr("main window ready", 20s)) << program->Stderr();
  // Signed in: the client said it is ready.
  ASSERT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x01, 0x02) == 1; }, 20s)) << program->Stderr();

  // The contact, the menu, "user", "move to group", the one other group.
  Press({"Down", "F2", "1", "4", "1"});
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x13, 0x12) == 1; }, 10s)) << program->Stderr();
  // The menu's last submenu, ICQ status, and its second item: away.
  const int statuses = server.Snapshot().Count(0x01, 0x1E);
  Press({"F2", "Up", "Right", "2"});
  EXPECT_TRUE(server.WaitFor([statuses](const auto& log) { return log.Count(0x01, 0x1E) > statuses; }, 10s));
  // Return opens the contact's chat; typed text goes out with the right soft key, and Back on
  // the empty entry goes back to the list.
  Press({"Return"});
  Type("hello");
  Press({"F2"});
  EXPECT_TRUE(server.WaitFor([](const auto& log) { return log.Count(0x04, 0x06) == 1; }, 10s)) << program->Stderr();
  Press({"Escape"});
  // The QUIT key asks first; OK on the left soft key ends the program.
  Press({"0", "F1"});
  const auto exit = program->WaitForExit(20s);
  ASSERT_TRUE(exit.has_value()) << program->Stderr();
  EXPECT_FALSE(exit->signalled) << program->Stderr();
  EXPECT_EQ(exit->code, 0) << program->Stderr();
  EXPECT_TRUE(server.Violations().empty()) << server.Violations().front();
}

}  // namespace
}  // namespace quelt
