#include "core/StatusNames.h"

#include <gtest/gtest.h>


namespace quelt::core {
namespace {

TEST(StatusNamesTest, IcqWordsReduceToTheirMostSignificantClass) {
  const std::vector<std::pair<uint32_t, std::string_view>> cases = {
      {0xFFFFFFFF, "offline"},
      {0x00000000, "online"},
      {0x00010000, "online"},  // flags above the status bits do not count
      {0x00000001, "away"},
      {0x00000002, "do_not_disturb"},
      {0x00000013, "do_not_disturb"},
      {0x00000004, "not_available"},
      {0x00000005, "not_available"},
      {0x00000011, "occupied"},
      {0x00010001, "away"},
      {0x00000010, "occupied"},
      {0x00000020, "free_for_chat"},
      {0x00000100, "invisible"},
      {0x00000120, "free_for_chat"},
      {0x00000008, ""},  // a bit without a name
      {0x00000040, ""},
  };
  for (const auto& [status, key] : cases) {
    EXPECT_EQ(IcqStatusKey(status), key) << std::hex << status;
  }
}

}  // namespace
}  // namespace quelt::core
