#include <gtest/gtest.h>

#include "FakeHomeSite.h"
#include "homeplugin/MemoryStream.h"
#include "homeplugin/StatusTilePlugin.h"
#include "homeplugin/TileColors.h"
#include "homeplugin/TileModule.h"
#include "platform/screen/Surface.h"
#include "support/ui/ContactListScene.h"

namespace quelt::home {
namespace {

using platform::Color;

TEST(TilePaintTest, ColorValues) {
  test::FakeHomeSite site;
  struct Case {
    std::u16string value;
    std::optional<Color> expected;
  };
  const Case cases[] = {
      {u"#00FF00", Color{0, 255, 0}},        {u"#1A2B3C", Color{0x1A, 0x2B, 0x3C}},
      {u"#0G1a2B", Color{0x00, 0x10, 0x2B}},  // only 1-9 and A-F count
      {u"#12", Color{0x12, 0, 0}},            // what is missing counts as 0
      {u"TRANSPARENT", std::nullopt},        {u"COLOR_HOMERULE", Color{150, 150, 170}},
      {u"COLOR_NOSUCH", std::nullopt},
  };
  for (const auto& c : cases) {
    const auto color = ResolveColor(c.value, &site, 1);
    ASSERT_EQ(color.has_value(), c.expected.has_value());
    if (color) {
      EXPECT_EQ(color->Rgb(), c.expected->Rgb());
    }
  }
}

TEST(TilePaintTest, BottomRuleAndServiceText) {
  struct Rule {
    int32_t show, width, expected;
  };
  for (const auto& r : {Rule{0, 0, 0}, Rule{0, 3, 3}, Rule{1, 0, 1}, Rule{1, 3, 3}, Rule{2, 3, 0}}) {
    EXPECT_EQ(BorderWidth(TileSettings{.showBottomBorder = r.show, .borderWidth = r.width}), r.expected);
  }
  const ServiceTileState online{.enabled = true, .online = 12, .unread = 0, .text = u"online"};
  EXPECT_EQ(ServiceText(true, online), u"online (12)");
  EXPECT_EQ(ServiceText(true, {.enabled = true, .online = -1, .unread = 0, .text = u"connecting"}), u"connecting");
  EXPECT_EQ(ServiceText(false, online), u"Offline");
  EXPECT_EQ(ServiceText(true, {}), u"Offline");
}

class TileRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::UseShippedFontsOnly();
    plugin_ = StatusTilePlugin::Create();
    ASSERT_EQ(plugin_->SetSite(static_cast<IHomeHost*>(&site_)), S_OK);
  }
  void TearDown() override { Deliver(kMessengerGoneTag, {}); }

  void Scheme(const char* xml) {
    ASSERT_TRUE(scheme_.load_string(xml));
    ASSERT_EQ(plugin_->Initialize(5, scheme_.child("home").child("plugin"), scheme_.child("home").child("default")),
              S_OK);
    auto stream = MemoryStream::Create();
    ASSERT_EQ(plugin_->Save(stream.Get(), true), S_OK);
    stream->Rewind();
    ASSERT_EQ(plugin_->Load(stream.Get()), S_OK);
  }
  static void Deliver(uint32_t tag, std::vector<uint8_t> bytes) {
    TileModule::Instance().Receive({.kind = platform::PortMessageKind::CopyData, .tag = tag, .bytes = bytes});
  }
  void PaintRow(platform::Surface& screen, int row, bool selected) {
    HomeEvent paint{.number = HomeEventNumber::Paint,
                    .surface = screen.Raw(),
                    .selected = selected,
                    .rect = {0, row * 24, screen.Width(), row * 24 + 24}};
    ASSERT_EQ(plugin_->OnEvent(&paint), S_OK);
  }
  int32_t Height() {
    int32_t height = -1;
    EXPECT_EQ(plugin_->GetHeight(&height), S_OK);
    return height;
  }

  // The listener's port and the messenger's stay inside the test.
  test::TempFolder runtime_;
  test::ScopedEnv runtimeEnv_{"XDG_RUNTIME_DIR", runtime_.Path().string()};
  test::FakeHomeSite site_;
  pugi::xml_document scheme_;
  ComPtr<StatusTilePlugin> plugin_;
};

TEST_F(TileRowTest, AutoHeightHidesTheRowWhileTheMessengerIsAway) {
  Scheme(R"(<home><plugin height="25" autoheight="TRUE"/><default/></home>)");
  bool selectable = true;
  EXPECT_EQ(Height(), 0);
  EXPECT_EQ(plugin_->GetSelectability(&selectable), S_OK);
  EXPECT_FALSE(selectable);
  Deliver(kStateBlockTag, EncodeStateBlock(std::nullopt, std::nullopt));
  EXPECT_EQ(Height(), 25);
  EXPECT_EQ(plugin_->GetSelectability(&selectable), S_OK);
  EXPECT_TRUE(selectable);
  Deliver(kMessengerGoneTag, {});
  EXPECT_EQ(Height(), 0);
  // Keys that move inside the row and new data ask for a repaint; Up does not.
  const int before = site_.invalidations;
  for (uint16_t key : {kKeyLeft, kKeyUp, kKeyRight}) {
    HomeEvent event{.number = HomeEventNumber::Key, .key = key};
    plugin_->OnEvent(&event);
  }
  HomeEvent changed{.number = HomeEventNumber::DataChanged};
  plugin_->OnEvent(&changed);
  EXPECT_EQ(site_.invalidations - before, 3);
}

// Offline, disabled, ICQ alone with its count, and both with unread marks, a rule and the
// selection, at both screen widths.
TEST_F(TileRowTest, RowsMatchTheirPictures) {
  Scheme(R"(<home><plugin height="24" show-b-border="1"/>
            <default font-face="DejaVu Sans" font-size="13" padding-left="4" padding-top="3" fgcolor="COLOR_HOMETEXT"
                     bgcolor="#F0F0F8" b-border-color="COLOR_HOMERULE">
              <format state="selected" bgcolor="COLOR_HOMEHIGHLIGHT" fgcolor="COLOR_HOMEHIGHLIGHTTEXT"/>
            </default></home>)");
  const ServiceTileState icq{.enabled = true, .online = 12, .unread = 2, .text = u"online"};
  const ServiceTileState msn{.enabled = true, .online = 3, .unread = 1, .text = u"away"};
  for (const int width : {240, 176}) {
    auto screen = platform::Surface::Create(width, 4 * 24);
    screen->Fill({0, 0, width, 4 * 24}, Color{255, 255, 255});
    Deliver(kMessengerGoneTag, {});
    PaintRow(*screen, 0, false);
    Deliver(kStateBlockTag, EncodeStateBlock(std::nullopt, std::nullopt));
    PaintRow(*screen, 1, false);
    Deliver(
        kStateBlockTag,
        EncodeStateBlock(ServiceTileState{.enabled = true, .online = 5, .unread = 0, .text = u"online"}, std::nullopt));
    PaintRow(*screen, 2, false);
    Deliver(kStateBlockTag, EncodeStateBlock(icq, msn));
    PaintRow(*screen, 3, true);
    EXPECT_TRUE(
        test::MatchesReference(*screen, "status-tile-" + std::to_string(width), QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
  }
}

}  // namespace
}  // namespace quelt::home
