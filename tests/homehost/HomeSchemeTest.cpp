// Which scheme is shown, what its rows become, and how the selection moves among them.
#include <gtest/gtest.h>

#include "HomeFixture.h"
#include "homeplugin/TileRegistration.h"
#include "support/ui/ContactListScene.h"

namespace quelt::home {
namespace {

using platform::Key;

TEST_F(HomeFixture, SchemeSettingChoosesTheFileElseTheShippedDefault) {
  const auto own = WriteScheme("Own.home.xml", "Mine", Row(kClockClass, "Clock"));
  test::WriteFile(folder_ / "Broken.home.xml", "<home><title>Broken</title>");
  test::WriteFile(folder_ / "Other.xml", "<other/>");
  const auto shipped = std::filesystem::path(QUELT_DATA_DIR) / "Home" / "Default.home.xml";
  const struct {
    const char* name;
    std::optional<std::filesystem::path> setting;
    std::filesystem::path shown;
    std::string title;
  } cases[] = {
      {"unset", std::nullopt, shipped, "Home"},
      {"empty", "", shipped, "Home"},
      {"own", own, own, "Mine"},
      {"missing", folder_ / "Gone.home.xml", shipped, "Home"},
      {"not xml", folder_ / "Broken.home.xml", shipped, "Home"},
      {"not a scheme", folder_ / "Other.xml", shipped, "Home"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.setting) UseScheme(*c.setting);
    HomeScreen home(Setup());
    home.Load();
    EXPECT_EQ(home.SchemeFile(), c.shown);
    EXPECT_EQ(home.Title(), c.title);
  }
}

TEST_F(HomeFixture, RowsFollowTheDocumentAndUnavailableClassesAreGreyed) {
  ASSERT_TRUE(
      registry_.SetString(std::string("HKCR\\CLSID\\") + "{11111111-2222-3333-4444-555555555555}" + "\\InprocServer32",
                          "", (folder_ / "NoSuch.so").string()));
  UseScheme(WriteScheme("Rows.home.xml", "Rows",
                        Row(kClockClass, "Clock") + Row(kUnknownClass, "Unregistered") +
                            Row("{11111111-2222-3333-4444-555555555555}", "Unloadable") +
                            Row("not-a-class", "Garbled", "height=\"30\"") + Row(kOwnerClass, "Owner")));
  SetOwner("Ann");
  HomeScreen home(Setup());
  home.Load();
  const auto rows = home.Rows();
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].clsid, ParseGuid(kClockClass));
  EXPECT_EQ(rows[4].clsid, ParseGuid(kOwnerClass));
  EXPECT_EQ(rows[3].area.height, 30);
  for (size_t i = 0; i + 1 < rows.size(); ++i) {
    EXPECT_EQ(rows[i].area.y + rows[i].area.height, rows[i + 1].area.y) << "row " << i;
  }
  const auto screen = Painted(home);
  const platform::Color gray = platform::Color::FromRgb(0x97A3AF);
  for (const size_t greyed : {1u, 2u, 3u}) {
    SCOPED_TRACE(greyed);
    EXPECT_FALSE(rows[greyed].selectable);
    ASSERT_GT(rows[greyed].area.height, 0);
    bool grayText = false;
    const auto& area = rows[greyed].area;
    for (int y = area.y; y < area.y + area.height; ++y) {
      for (int x = area.x; x < area.x + area.width; ++x) grayText = grayText || screen->PixelAt(x, y) == gray;
    }
    EXPECT_TRUE(grayText);
  }
}

TEST_F(HomeFixture, SelectionSkipsRowsThatCannotBeSelected) {
  UseScheme(WriteScheme("Select.home.xml", "Select",
                        Row(kClockClass, "First") + Row(kUnknownClass, "Greyed") + Row(kOwnerClass, "Owner") +
                            Row(kClockClass, "Hidden", "height=\"0\"") + Row(kClockClass, "Last")));
  SetOwner("Ann");
  HomeScreen home(Setup());
  home.Load();
  const struct {
    Key key;
    size_t selected;
  } steps[] = {{Key::Up, 0}, {Key::Down, 4}, {Key::Down, 4}, {Key::Back, 4}, {Key::Up, 0}, {Key::Down, 4}};
  for (const auto& step : steps) {
    home.Press(step.key);
    EXPECT_EQ(home.Selected(), step.selected);
  }
  const auto screen = Painted(home);
  const auto rows = home.Rows();
  EXPECT_EQ(screen->PixelAt(1, rows[4].area.y + 1), platform::Color::FromRgb(0x2C6DB5));
  EXPECT_NE(screen->PixelAt(1, rows[0].area.y + 1), platform::Color::FromRgb(0x2C6DB5));
}

TEST_F(HomeFixture, ShippedSchemeAtBothScreenSizes) {
  SetOwner("Alex Morgan");
  ASSERT_TRUE(RegisterStatusTile(registry_, QUELT_STATUS_TILE));  // the messenger's row, with no messenger
  for (const auto& [width, height] : {std::pair{240, 320}, std::pair{176, 220}}) {
    HomeScreen home(Setup(width, height));
    home.Load();
    const auto screen = Painted(home, width, height);
    const std::string name = "home-" + std::to_string(width) + "x" + std::to_string(height);
    EXPECT_TRUE(test::MatchesReference(*screen, name, QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
  }
}

}  // namespace
}  // namespace quelt::home
