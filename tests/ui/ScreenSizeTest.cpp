#include "ui/ScreenSize.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

namespace quelt::ui {
namespace {

TEST(ScreenSizeTest, ConfiguredWidthSelectsTheScreen) {
  const std::vector<std::pair<std::string_view, ScreenSize>> cases = {
      {"176", {176, 220}},     {"176x220", {176, 220}}, {"200", {176, 220}}, {"201", {240, 320}},
      {"240x320", {240, 320}}, {"480X640", {240, 320}},
  };
  for (const auto& [text, expected] : cases) {
    const auto width = ParseConfiguredWidth(text);
    ASSERT_TRUE(width.has_value()) << text;
    EXPECT_EQ(ScreenSizeForWidth(*width), expected) << text;
  }
  for (std::string_view bad : {"", "x220", "wide", "-5", "0", "176 by 220"}) {
    EXPECT_FALSE(ParseConfiguredWidth(bad).has_value()) << bad;
  }
}

TEST(ScreenSizeTest, EnvironmentChoosesTheScreenAndGarbageKeepsTheDefault) {
  {
    test::ScopedEnv env{"QUELT_SCREEN", "176x220"};
    EXPECT_EQ(ScreenSizeFromEnvironment(), (ScreenSize{176, 220}));
  }
  {
    test::ScopedEnv env{"QUELT_SCREEN", "tiny"};
    EXPECT_EQ(ScreenSizeFromEnvironment(), (ScreenSize{240, 320}));
  }
  test::ScopedEnv env{"QUELT_SCREEN", std::nullopt};
  EXPECT_EQ(ScreenSizeFromEnvironment(), (ScreenSize{240, 320}));
}

}  // namespace
}  // namespace quelt::ui
