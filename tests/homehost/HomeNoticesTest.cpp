// What reaches the home screen from other threads: data-changed notices through its port and a
// changed scheme setting through the registry file.
#include <gtest/gtest.h>

#include "HomeFixture.h"
#include "homeplugin/StateBlock.h"
#include "platform/Files.h"
#include "platform/Port.h"

namespace quelt::home {
namespace {

constexpr uint32_t kPatientMs = 10000;

std::optional<uint32_t> SendNotice(std::string_view text, uint32_t tag = kDataChangedTag) {
  return platform::SendToPort(
      kHomeHostPortClass, {platform::PortMessageKind::CopyData, tag, std::vector<uint8_t>(text.begin(), text.end())},
      kPatientMs);
}

TEST_F(HomeFixture, DataChangedReachesOnlyTheRowsOfItsClass) {
  UseScheme(WriteScheme("Notice.home.xml", "Notice",
                        Row(kOwnerClass, "Owner") + Row(kClockClass, "Clock") + Row(kOwnerClass, "Owner again")));
  SetOwner("Ann");
  HomeScreen home(Setup());
  home.Load();
  ASSERT_TRUE(home.Listen());
  const auto screen = Painted(home);
  const auto before = Snapshot(*screen);
  SetOwner("Bartholomew");

  const struct {
    const char* name;
    std::string text;
    uint32_t tag;
    uint32_t reply;
  } malformed[] = {
      {"not a class", "owner", kDataChangedTag, 0},
      {"other tag", kOwnerClass, kDataChangedTag + 1, 0},
      {"other class", kClockClass, kDataChangedTag, 1},
  };
  for (const auto& m : malformed) {
    SCOPED_TRACE(m.name);
    EXPECT_EQ(SendNotice(m.text, m.tag), m.reply);
    home.Paint(*screen);
    for (const auto& row : home.Rows()) EXPECT_FALSE(test::Differ(*before, *screen, row.area));
  }

  woken_.Reset();
  EXPECT_EQ(SendNotice(kOwnerClass), 1u);
  EXPECT_TRUE(woken_.Wait(0));
  home.Paint(*screen);
  const auto rows = home.Rows();
  EXPECT_TRUE(test::Differ(*before, *screen, rows[0].area));
  EXPECT_FALSE(test::Differ(*before, *screen, rows[1].area));
  EXPECT_TRUE(test::Differ(*before, *screen, rows[2].area));
}

TEST_F(HomeFixture, ReloadsWhenTheSchemeSettingOrItsFileChanges) {
  const auto first = WriteScheme("First.home.xml", "First", Row(kClockClass, "A") + Row(kClockClass, "B"));
  const auto second = WriteScheme("Second.home.xml", "Second", Row(kClockClass, "C"));
  UseScheme(first);
  HomeScreen home(Setup());
  home.Load();
  ASSERT_TRUE(home.Listen());
  home.Press(platform::Key::Down);
  ASSERT_EQ(home.Selected(), 1u);

  // Anything else written to the registry leaves the rows (and their state) alone.
  SetOwner("Ann");
  ASSERT_TRUE(woken_.Wait(kPatientMs));
  home.RunPending();
  EXPECT_EQ(home.Selected(), 1u);

  UseScheme(second);
  ASSERT_TRUE(woken_.Wait(kPatientMs));
  home.RunPending();
  EXPECT_EQ(home.Title(), "Second");
  EXPECT_EQ(home.Rows().size(), 1u);

  const std::string rewritten = "<home><title>Second, edited</title></home>";
  ASSERT_TRUE(platform::WriteFileAtomically(
      second, std::span(reinterpret_cast<const uint8_t*>(rewritten.data()), rewritten.size())));
  ASSERT_TRUE(woken_.Wait(kPatientMs));
  home.RunPending();
  EXPECT_EQ(home.Title(), "Second, edited");
  EXPECT_TRUE(home.Rows().empty());
}

TEST_F(HomeFixture, StatusTileRowsShowWhatTheMessengerSends) {
  const std::string tile = GuidText(CLSID_StatusTile);
  ASSERT_TRUE(registry_.SetString("HKCR\\CLSID\\" + tile + "\\InprocServer32", "", QUELT_STATUS_TILE));
  UseScheme(WriteScheme("Tile.home.xml", "Tile",
                        Row(kClockClass, "Clock") + Row(tile, "QUELTMsg", "height=\"24\" autoheight=\"False\"") +
                            Row(tile, "QUELTMsg", "height=\"24\" autoheight=\"True\"")));
  HomeScreen home(Setup());
  home.Load();
  ASSERT_TRUE(home.Listen());
  auto rows = home.Rows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_TRUE(rows[1].selectable);
  EXPECT_EQ(rows[1].area.height, 24);
  EXPECT_EQ(rows[2].area.height, 0) << "hidden while the messenger is not running";
  const auto screen = Painted(home);
  const auto before = Snapshot(*screen);

  woken_.Reset();
  const auto block = EncodeStateBlock(ServiceTileState{.enabled = true, .online = 3, .text = u"online"}, std::nullopt);
  EXPECT_EQ(platform::SendToPort(kTileListenerClass, {platform::PortMessageKind::CopyData, kStateBlockTag, block},
                                 kPatientMs),
            1u);
  ASSERT_TRUE(woken_.Wait(kPatientMs)) << "the row's plugin tells the host on a thread of its own";
  home.Paint(*screen);
  rows = home.Rows();
  EXPECT_FALSE(test::Differ(*before, *screen, rows[0].area));
  EXPECT_TRUE(test::Differ(*before, *screen, rows[1].area));
  EXPECT_EQ(rows[2].area.height, 24);
  EXPECT_TRUE(rows[2].selectable);
}

}  // namespace
}  // namespace quelt::home
