// The messenger, in a window of its own, signed in to the demo network as a newcomer meets it:
// the contacts that answer answer, the waiting offline message arrives once, the stranger's
// request for authorization reaches the user.
#include <gtest/gtest.h>

#include <thread>

#include "DemoCast.h"
#include "DemoFolder.h"
#include "DemoNetwork.h"
#include "platform/TextCodec.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "support/XServer.h"

namespace quelt::demo {
namespace {

using namespace std::chrono_literals;

// How often `text` occurs in a history file (UTF-16LE), as soon as it occurs at all.
int Occurrences(const std::filesystem::path& file, const std::string& text, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  int count = 0;
  do {
    const std::string read =
        platform::Utf16ToUtf8(platform::DecodeCodePage(test::ReadFile(file), platform::kUtf16LeCodePage).text);
    count = 0;
    for (size_t at = read.find(text); at != std::string::npos; at = read.find(text, at + 1)) ++count;
    if (count > 0) return count;
    std::this_thread::sleep_for(100ms);
  } while (std::chrono::steady_clock::now() < deadline);
  return count;
}

TEST(DemoNetworkTest, TheMessengerSignsInToBothAndMeetsTheContacts) {
  ASSERT_TRUE(std::filesystem::exists(test::kXvfbPath) && std::filesystem::exists(test::kXdotoolPath));
  test::XServer x;
  ASSERT_FALSE(x.Display().empty());
  std::string error;
  // The invitation and the presence changes would reorder the list under the keys below.
  auto network = DemoNetwork::Start(DemoPorts::From(0), error, {},
                                    {.askAuthorization = 0ms, .inviteToChat = 1h, .presenceEvery = 1h});
  ASSERT_NE(network, nullptr) << error;
  test::TempFolder home;
  const auto bin = home / "bin";
  ASSERT_TRUE(PrepareProgramFolder(bin, std::filesystem::path(QUELT_PROGRAM_PATH).parent_path(), error)) << error;
  ASSERT_TRUE(WriteDemoSettings(*network, bin / "Messenger.config", home / "ca.pem", error)) << error;
  std::filesystem::create_directories(home / "run");
  auto program = test::ChildProcess::Start(bin / "QUELTMessenger", {{"DISPLAY", x.Display()},
                                                                    {"SDL_VIDEODRIVER", ""},
                                                                    {"HOME", home.Path().string()},
                                                                    {"XDG_RUNTIME_DIR", (home / "run").string()},
                                                                    {"XDG_CONFIG_HOME", (home / "config").string()},
                                                                    {"XDG_DATA_HOME", (home / "data").string()},
                                                                    {"QUELT_LOG", "1"}});
  ASSERT_NE(program, nullptr);
  ASSERT_TRUE(network->WaitSignedIn(30s)) << program->Stderr();
  const auto press = [&](const std::vector<std::string>& keys) {
    const auto failure = x.Xdotool("Quelt Messenger", "key", keys);
    ASSERT_TRUE(failure.empty()) << failure;
  };
  const auto type = [&](const std::string& text) {
    const auto failure = x.Xdotool("Quelt Messenger", "type", {text});
    ASSERT_TRUE(failure.empty()) << failure;
  };

  // Quick search narrows the list to one name, Down selects it, Return opens its chat, the right
  // soft key sends; Back twice returns to the whole list.
  const auto history = bin / kIcqUin;
  press({"F1", "2", "6", "6", "2", "Down", "Return"});  // "anna"
  type("Hello Anna");
  press({"F2"});
  EXPECT_EQ(Occurrences(history / "100201_msg.txt", EchoOf("Hello Anna"), 10s), 1) << program->Stderr();
  press({"Escape", "Escape", "F1", "8", "6", "6", "Down", "Return"});  // "tom"
  type("Привет, Tom");
  press({"F2"});
  EXPECT_EQ(Occurrences(bin / kMsnEmail / "tom@demo.example_msg.txt", EchoOf("Привет, Tom"), 10s), 1)
      << program->Stderr();

  EXPECT_EQ(Occurrences(history / (std::string(kIcqOfflineSender) + "_msg.txt"), kIcqOfflineText, 5s), 1);
  EXPECT_TRUE(network->Oscar().Snapshot().offline.empty()) << "the offline message was not deleted";
  EXPECT_EQ(Occurrences(history / (std::string(kIcqAsker) + "_msg.txt"), kIcqAskReason, 10s), 1);
  EXPECT_TRUE(network->Oscar().Violations().empty());
  EXPECT_TRUE(network->Switchboards().Violations().empty());

  program->Signal(SIGTERM);
  const auto exit = program->WaitForExit(20s);
  ASSERT_TRUE(exit.has_value());
  EXPECT_EQ(exit->code, 0);
}

}  // namespace
}  // namespace quelt::demo
