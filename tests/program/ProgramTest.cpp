// The messenger program itself, started as a user would start it (twice, in one test).
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>

#include "core/SingleInstance.h"
#include "platform/Port.h"
#include "platform/Registry.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

namespace quelt {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

class ProgramTest : public ::testing::Test {
 protected:
  ProgramTest() {
    // A program folder of its own, so the test never touches the build's configuration.
    std::filesystem::create_directories(home_ / "bin");
    std::filesystem::create_directories(home_ / "run");
    std::filesystem::copy_file(QUELT_PROGRAM_PATH, Program());
  }

  [[nodiscard]] std::filesystem::path Program() const { return home_ / "bin" / "QUELTMessenger"; }

  [[nodiscard]] std::map<std::string, std::string> Environment() const {
    return {{"SDL_VIDEODRIVER", "dummy"},
            {"HOME", home_.Path().string()},
            {"XDG_RUNTIME_DIR", (home_ / "run").string()},
            {"XDG_CONFIG_HOME", (home_ / "config").string()},
            {"XDG_DATA_HOME", (home_ / "data").string()},
            {"QUELT_LOG", "1"}};
  }

  test::TempFolder home_;
  test::ScopedEnv runtime_{"XDG_RUNTIME_DIR", (home_ / "run").string()};
};

TEST_F(ProgramTest, SecondStartBringsTheFirstForwardAndEndsWithoutAWindow) {
  auto first = ChildProcess::Start(Program(), Environment());
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(first->WaitForStderr("main window ready", 20s)) << first->Stderr();

  auto second = ChildProcess::Start(Program(), Environment());
  ASSERT_NE(second, nullptr);
  const auto secondExit = second->WaitForExit(20s);
  ASSERT_TRUE(secondExit.has_value());
  EXPECT_FALSE(secondExit->signalled);
  EXPECT_EQ(secondExit->code, 0);
  EXPECT_EQ(second->Stderr().find("display open"), std::string::npos) << second->Stderr();
  EXPECT_TRUE(first->WaitForStderr("asked to come to the front", 10s)) << first->Stderr();

  // Ending the first copy takes the quit path and succeeds at once: no connection is alive.
  first->Signal(SIGTERM);
  const auto firstExit = first->WaitForExit(20s);
  ASSERT_TRUE(firstExit.has_value());
  EXPECT_FALSE(firstExit->signalled);
  EXPECT_EQ(firstExit->code, 0);
  EXPECT_FALSE(platform::PortExists(core::kMainWindowClass));
}

TEST_F(ProgramTest, ProgramFolderIsTheExecutablesWhateverTheWorkingFolder) {
  auto program = ChildProcess::Start(Program(), Environment());
  ASSERT_NE(program, nullptr);
  ASSERT_TRUE(program->WaitForStderr("main window ready", 20s)) << program->Stderr();
  platform::Registry registry(home_ / "config" / "quelt" / "registry");
  EXPECT_EQ(registry.GetString("HKCR\\CLSID\\{A37FA94B-2EBD-4662-BFEE-EF6434E2EAC3}\\InprocServer32"),
            (home_ / "bin" / "StatusTile.so").string());
  program->Signal(SIGTERM);
  EXPECT_TRUE(program->WaitForExit(20s).has_value());
}

TEST_F(ProgramTest, WithoutADisplayItSaysSoOnOneLineAndFails) {
  auto environment = Environment();
  environment["SDL_VIDEODRIVER"] = "";  // nothing asked for: no falling back to an invisible screen
  environment["DISPLAY"] = "";
  environment["WAYLAND_DISPLAY"] = "";
  environment["QUELT_LOG"] = "";
  auto program = ChildProcess::Start(Program(), environment);
  ASSERT_NE(program, nullptr);
  const auto exit = program->WaitForExit(20s);
  ASSERT_TRUE(exit.has_value());
  EXPECT_FALSE(exit->signalled) << "signal " << exit->code;
  EXPECT_NE(exit->code, 0);
  const std::string text = program->Stderr();
  EXPECT_NE(text.find("no display"), std::string::npos) << text;
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
}

}  // namespace
}  // namespace quelt
