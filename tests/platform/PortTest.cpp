#include "platform/Port.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <future>
#include <mutex>
#include <vector>

#include "support/TempFolder.h"

namespace quelt::platform {
namespace {

using test::ScopedEnv;
using test::TempFolder;

constexpr const char* kClass = "D357587E-9665-4975-A100-617D72FDF5D3";
// Long enough to outlast the listener's per-connection deadline for a silent client.
constexpr uint32_t kPatientMs = 20000;

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A client socket connected to the class's port, for speaking the wire form by hand.
int ConnectRaw(std::string_view windowClass) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string path = PortPath(windowClass).string();
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

class PortTest : public ::testing::Test {
 protected:
  // The listener's handler: records what arrives and answers with the tag plus 100.
  PortListener::Handler Recorder() {
    return [this](const PortMessage& message) {
      std::lock_guard lock(mutex_);
      received_.push_back(message);
      return message.tag + 100;
    };
  }
  std::vector<PortMessage> Received() {
    std::lock_guard lock(mutex_);
    return received_;
  }

  TempFolder runtime_;
  ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.Path().string()};
  std::mutex mutex_;
  std::vector<PortMessage> received_;
};

TEST(PortMessageTest, WireFormIsALittleEndianHeaderAndTheBytes) {
  const PortMessage message{PortMessageKind::CopyData, 0x01020304, {0xAA, 0xBB}};
  const std::vector<uint8_t> wire = {2, 0, 0, 0, 4, 3, 2, 1, 2, 0, 0, 0, 0xAA, 0xBB};
  EXPECT_EQ(SerializePortMessage(message), wire);
  const auto parsed = ParsePortMessage(wire);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(parsed->kind, PortMessageKind::CopyData);
  EXPECT_EQ(parsed->tag, 0x01020304u);
  EXPECT_EQ(parsed->bytes, message.bytes);
}

TEST(PortMessageTest, RejectsMalformedWireForms) {
  struct Case {
    const char* name;
    std::vector<uint8_t> wire;
  };
  std::vector<uint8_t> oversize = {2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0};
  oversize.resize(12 + kMaxPortPayload + 1);
  const Case cases[] = {
      {"empty", {}},
      {"short header", {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"kind 0", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"kind 3", {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"kind in a high byte", {1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"missing bytes", {2, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 'a', 'b'}},
      {"trailing bytes", {2, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 'a', 'b'}},
      {"length above the limit", oversize},
      {"huge length", {2, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}},
  };
  for (const auto& c : cases) EXPECT_FALSE(ParsePortMessage(c.wire).has_value()) << c.name;
  std::vector<uint8_t> largest = {2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0};
  largest.resize(12 + kMaxPortPayload);
  EXPECT_TRUE(ParsePortMessage(largest).has_value());
}

TEST_F(PortTest, MessagesAndRepliesTravelBothKinds) {
  auto listener = PortListener::Listen(kClass, Recorder());
  ASSERT_NE(listener, nullptr);
  EXPECT_TRUE(PortExists(kClass));
  const std::vector<PortMessage> messages = {
      {PortMessageKind::Activate, 0, {}},
      {PortMessageKind::CopyData, 0, {}},
      {PortMessageKind::CopyData, 1, Bytes("state block\0with a NUL")},
      {PortMessageKind::CopyData, 7, std::vector<uint8_t>(kMaxPortPayload, 0x5A)},
  };
  for (const auto& message : messages) {
    EXPECT_EQ(SendToPort(kClass, message, kPatientMs), message.tag + 100);
  }
  const auto received = Received();
  ASSERT_EQ(received.size(), messages.size());
  for (size_t i = 0; i < messages.size(); ++i) {
    EXPECT_EQ(received[i].kind, messages[i].kind) << i;
    EXPECT_EQ(received[i].tag, messages[i].tag) << i;
    EXPECT_EQ(received[i].bytes, messages[i].bytes) << i;
  }
}

TEST_F(PortTest, SocketFileIsPrivateAndNamedAfterTheClass) {
  auto listener = PortListener::Listen("Listener", Recorder());
  ASSERT_NE(listener, nullptr);
  EXPECT_EQ(PortPath("Listener"), runtime_ / "quelt-Listener.port");
  struct stat status {};
  ASSERT_EQ(stat(PortPath("Listener").c_str(), &status), 0);
  EXPECT_TRUE(S_ISSOCK(status.st_mode));
  EXPECT_EQ(status.st_mode & 0777, 0600u);
}

TEST_F(PortTest, OnlyOneListenerPerClassAndTheNextMayFollowTheFirst) {
  auto first = PortListener::Listen(kClass, Recorder());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(PortListener::Listen(kClass, Recorder()), nullptr);
  auto other = PortListener::Listen("AnotherClass", Recorder());
  EXPECT_NE(other, nullptr);
  first.reset();
  EXPECT_FALSE(std::filesystem::exists(PortPath(kClass)));
  EXPECT_FALSE(PortExists(kClass));
  auto second = PortListener::Listen(kClass, Recorder());
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(SendToPort(kClass, {PortMessageKind::Activate, 5, {}}, kPatientMs), 105u);
}

TEST_F(PortTest, SocketFileLeftByACrashedOwnerIsTakenOver) {
  {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, PortPath(kClass).c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    close(fd);
  }
  ASSERT_TRUE(std::filesystem::exists(PortPath(kClass)));
  EXPECT_FALSE(PortExists(kClass));
  auto listener = PortListener::Listen(kClass, Recorder());
  ASSERT_NE(listener, nullptr);
  EXPECT_EQ(SendToPort(kClass, {PortMessageKind::CopyData, 1, Bytes("x")}, kPatientMs), 101u);
}

TEST_F(PortTest, SilentAndHalfSpokenClientsDoNotBlockTheNextMessage) {
  auto listener = PortListener::Listen(kClass, Recorder());
  ASSERT_NE(listener, nullptr);
  const int silent = ConnectRaw(kClass);
  const int halfHeader = ConnectRaw(kClass);
  ASSERT_GE(silent, 0);
  ASSERT_GE(halfHeader, 0);
  const uint8_t half[6] = {2, 0, 0, 0, 9, 0};
  ASSERT_EQ(send(halfHeader, half, sizeof half, MSG_NOSIGNAL), 6);
  EXPECT_EQ(SendToPort(kClass, {PortMessageKind::CopyData, 9, Bytes("after")}, kPatientMs), 109u);
  // The stalled clients were dropped without a reply.
  uint8_t reply[4];
  EXPECT_EQ(recv(silent, reply, sizeof reply, 0), 0);
  EXPECT_EQ(recv(halfHeader, reply, sizeof reply, 0), 0);
  close(silent);
  close(halfHeader);
  ASSERT_EQ(Received().size(), 1u);
  EXPECT_EQ(Received()[0].bytes, Bytes("after"));
}

TEST_F(PortTest, OversizeAndMalformedMessagesGetNoReply) {
  auto listener = PortListener::Listen(kClass, Recorder());
  ASSERT_NE(listener, nullptr);
  const PortMessage tooBig{PortMessageKind::CopyData, 1, std::vector<uint8_t>(kMaxPortPayload + 1)};
  EXPECT_FALSE(SendToPort(kClass, tooBig, kPatientMs).has_value());
  struct Case {
    const char* name;
    std::vector<uint8_t> wire;
  };
  const Case cases[] = {
      {"length above the limit", {2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0x0F, 0}},
      {"unknown kind", {9, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const int fd = ConnectRaw(kClass);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(send(fd, c.wire.data(), c.wire.size(), MSG_NOSIGNAL), static_cast<ssize_t>(c.wire.size()));
    uint8_t reply[4];
    EXPECT_EQ(recv(fd, reply, sizeof reply, 0), 0) << c.name;
    close(fd);
  }
  EXPECT_TRUE(Received().empty());
}

TEST_F(PortTest, AbsentPortGivesNothing) {
  EXPECT_FALSE(PortExists(kClass));
  EXPECT_FALSE(SendToPort(kClass, {PortMessageKind::Activate, 0, {}}, 1000).has_value());
}

TEST_F(PortTest, ConcurrentSendersAreAllAnswered) {
  auto listener = PortListener::Listen(kClass, Recorder());
  ASSERT_NE(listener, nullptr);
  constexpr int kSenders = 4;
  constexpr int kEach = 25;
  std::vector<std::future<int>> answered;
  for (int s = 0; s < kSenders; ++s) {
    answered.push_back(std::async(std::launch::async, [s] {
      int count = 0;
      for (int i = 0; i < kEach; ++i) {
        const uint32_t tag = static_cast<uint32_t>(s * 1000 + i);
        count += SendToPort(kClass, {PortMessageKind::CopyData, tag, {}}, kPatientMs) == tag + 100 ? 1 : 0;
      }
      return count;
    }));
  }
  for (auto& result : answered) EXPECT_EQ(result.get(), kEach);
  EXPECT_EQ(Received().size(), static_cast<size_t>(kSenders * kEach));
}

TEST_F(PortTest, DestructorLeavesAFileThatIsNoLongerOurs) {
  auto listener = PortListener::Listen(kClass, Recorder());
  ASSERT_NE(listener, nullptr);
  ASSERT_TRUE(std::filesystem::remove(PortPath(kClass)));
  test::WriteFile(PortPath(kClass), "someone else's");
  listener.reset();
  EXPECT_EQ(test::ReadFile(PortPath(kClass)), "someone else's");
}

TEST_F(PortTest, FolderOwnedBySomeoneElseIsRefused) {
  const auto foreign = runtime_ / "foreign";
  std::filesystem::create_directory(foreign);
  if (chown(foreign.c_str(), 65534, 65534) != 0) GTEST_SKIP() << "cannot give the folder away";
  ScopedEnv runtime("XDG_RUNTIME_DIR", foreign.string());
  EXPECT_EQ(PortListener::Listen(kClass, Recorder()), nullptr);
  EXPECT_FALSE(PortExists(kClass));
}

}  // namespace
}  // namespace quelt::platform
