#include "core/SingleInstance.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/TempFolder.h"

namespace quelt::core {
namespace {

class SingleInstanceTest : public ::testing::Test {
 protected:
  test::TempFolder runtime_;
  test::ScopedEnv env_{"XDG_RUNTIME_DIR", runtime_.Path().string()};
};

TEST_F(SingleInstanceTest, SecondClaimBringsTheFirstForward) {
  std::atomic<int> activations{0};
  auto first = ClaimSingleInstance("test-class", [&](const platform::PortMessage& message) -> uint32_t {
    if (message.kind == platform::PortMessageKind::Activate) ++activations;
    return 1;
  });
  ASSERT_NE(first.port, nullptr);
  EXPECT_FALSE(first.anotherIsRunning);

  auto second = ClaimSingleInstance("test-class", [](const platform::PortMessage&) -> uint32_t { return 1; });
  EXPECT_TRUE(second.anotherIsRunning);
  EXPECT_EQ(second.port, nullptr);
  EXPECT_EQ(activations.load(), 1);

  // Once the first copy has gone, the next start is the one copy again.
  first.port.reset();
  auto third = ClaimSingleInstance("test-class", [](const platform::PortMessage&) -> uint32_t { return 1; });
  EXPECT_NE(third.port, nullptr);
}

TEST_F(SingleInstanceTest, ConcurrentStartsLeaveExactlyOneCopy) {
  constexpr int kStarts = 6;
  std::vector<InstanceClaim> claims(kStarts);
  std::vector<std::thread> starts;
  for (int i = 0; i < kStarts; ++i) {
    starts.emplace_back([&claims, i] {
      claims[static_cast<size_t>(i)] =
          ClaimSingleInstance("race-class", [](const platform::PortMessage&) -> uint32_t { return 1; });
    });
  }
  for (auto& start : starts) start.join();
  int owners = 0;
  int forwarded = 0;
  for (const auto& claim : claims) {
    owners += claim.port ? 1 : 0;
    forwarded += claim.anotherIsRunning ? 1 : 0;
  }
  EXPECT_EQ(owners, 1);
  EXPECT_EQ(forwarded, kStarts - 1);
}

TEST_F(SingleInstanceTest, UnusableRuntimeFolderRunsWithoutProtection) {
  test::ScopedEnv broken{"XDG_RUNTIME_DIR", (runtime_ / "missing" / "deeper").string()};
  const auto claim = ClaimSingleInstance("test-class", [](const platform::PortMessage&) -> uint32_t { return 1; });
  EXPECT_EQ(claim.port, nullptr);
  EXPECT_FALSE(claim.anotherIsRunning);
}

}  // namespace
}  // namespace quelt::core
