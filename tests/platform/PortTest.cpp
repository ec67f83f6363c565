#include "platform/Port.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string_view>

#include "support/TempFolder.h"

namespace quelt::platform {
namespace {

constexpr const char* kClass = "D357587E-9665-4975-A100-617D72FDF5D3";
// Long enough to outlast the listener's per-connection deadline for a silent client.
constexpr uint32_t kPatientMs = 20000;

// The listener's answer, so that a reply proves the message arrived intact.
uint32_t Digest(const PortMessage& message) {
  const std::string_view bytes(reinterpret_cast<const char*>(message.bytes.data()), message.bytes.size());
  return static_cast<uint32_t>(std::hash<std::string_view>{}(bytes)) ^ (message.tag * 31) ^
         static_cast<uint32_t>(message.kind);
}

// A raw socket on the class's port: connected, or only bound to leave a stale file behind.
int RawSocket(bool connectIt) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, PortPath(kClass).c_str(), sizeof address.sun_path - 1);
  const auto* generic = reinterpret_cast<const sockaddr*>(&address);
  if ((connectIt ? connect(fd, generic, sizeof address) : bind(fd, generic, sizeof address)) == 0) return fd;
  close(fd);
  return -1;
}

class PortTest : public ::testing::Test {
 protected:
  test::TempFolder runtime_;
  test::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.Path().string()};
};

TEST_F(PortTest, MessagesAndRepliesTravelIntact) {
  auto listener = PortListener::Listen(kClass, Digest);
  ASSERT_NE(listener, nullptr);
  const PortMessage messages[] = {
      {PortMessageKind::Activate, 3, {}},
      {PortMessageKind::CopyData, 1, {'a', 0, 'b'}},
      {PortMessageKind::CopyData, 7, std::vector<uint8_t>(kMaxPortPayload, 0x5A)},
  };
  for (const auto& message : messages) EXPECT_EQ(SendToPort(kClass, message, kPatientMs), Digest(message));
}

TEST_F(PortTest, OnlyOneListenerPerClassAndAGonePortAnswersNothing) {
  auto first = PortListener::Listen(kClass, Digest);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(PortListener::Listen(kClass, Digest), nullptr);
  first.reset();
  EXPECT_FALSE(PortExists(kClass));
  EXPECT_FALSE(SendToPort(kClass, {PortMessageKind::Activate, 0, {}}, 1000).has_value());
  EXPECT_NE(PortListener::Listen(kClass, Digest), nullptr);
}

TEST_F(PortTest, SocketFileLeftByACrashedOwnerIsTakenOver) {
  ASSERT_EQ(close(RawSocket(false)), 0);  // a bound socket's file, with nobody listening
  EXPECT_FALSE(PortExists(kClass));
  auto listener = PortListener::Listen(kClass, Digest);
  ASSERT_NE(listener, nullptr);
  EXPECT_TRUE(PortExists(kClass));
}

// The listener serves one client at a time, so a stalled one costs its deadline, not for ever.
TEST_F(PortTest, SilentOrHostileClientsDoNotBlockTheNextMessage) {
  auto listener = PortListener::Listen(kClass, Digest);
  ASSERT_NE(listener, nullptr);
  const int silent = RawSocket(true);
  const int hostile = RawSocket(true);
  const uint8_t hugeLength[12] = {2, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0x7F};
  ASSERT_EQ(send(hostile, hugeLength, sizeof hugeLength, MSG_NOSIGNAL), 12);
  const PortMessage message{PortMessageKind::CopyData, 9, {}};
  EXPECT_EQ(SendToPort(kClass, message, kPatientMs), Digest(message));
  uint8_t reply[4];
  EXPECT_EQ(recv(silent, reply, sizeof reply, 0), 0);  // dropped without a reply
  EXPECT_EQ(recv(hostile, reply, sizeof reply, 0), 0);
  close(silent);
  close(hostile);
}

}  // namespace
}  // namespace quelt::platform
