#include <gtest/gtest.h>

#include "support/TempFolder.h"
#include "ui/shell/ScreenSize.h"

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
  for (const auto& [value, expected] : std::vector<std::pair<std::optional<std::string>, ScreenSize>>{
           {"176x220", {176, 220}}, {"tiny", {240, 320}}, {std::nullopt, {240, 320}}}) {
    test::ScopedEnv env{"QUELT_SCREEN", value};
    EXPECT_EQ(ScreenSizeFromEnvironment(), expected);
  }
}

}  // namespace
}  // namespace quelt::ui
