#include <gtest/gtest.h>

#include "homeplugin/MemoryStream.h"
#include "homeplugin/TileSettings.h"

namespace quelt::home {
namespace {

std::vector<uint8_t> Saved(const TileSettings& settings) {
  auto stream = MemoryStream::Create();
  EXPECT_TRUE(WriteTileSettings(settings, *stream));
  return stream->Bytes();
}

std::optional<TileSettings> Loaded(const std::vector<uint8_t>& bytes) {
  auto stream = MemoryStream::Create(bytes);
  return ReadTileSettings(*stream);
}

TEST(TileSettingsTest, SchemeAttributesAreReadAndUpperCased) {
  pugi::xml_document scheme;
  ASSERT_TRUE(scheme.load_string(
      R"(<home><plugin height="25" autoheight="True" show-b-border="1"/>
         <default font-face="DejaVu Sans" font-size="12" font-weight="bold" padding-left="4" bgcolor="transparent"
                  fgcolor="#00ff00" b-border-color="COLOR_HOMERULE" b-border-width="2">
           <format state="normal" bgcolor="#111111"/>
           <format state="selected" bgcolor="COLOR_HomeHighlight" fgcolor="#FFFFFF"/>
         </default></home>)"));
  const auto settings =
      SettingsFromScheme(77, scheme.child("home").child("plugin"), scheme.child("home").child("default"));
  EXPECT_EQ(settings.pluginHandle, 77u);
  EXPECT_EQ(settings.height, 25);
  EXPECT_TRUE(settings.autoHeight);
  EXPECT_EQ(settings.showBottomBorder, 1);
  EXPECT_EQ(settings.fontFace, u"DEJAVU SANS");
  EXPECT_EQ(settings.fontSize, 12);
  EXPECT_EQ(settings.fontWeight, u"BOLD");
  EXPECT_EQ(settings.paddingLeft, 4);
  EXPECT_EQ(settings.paddingTop, 0);
  EXPECT_EQ(settings.background, u"TRANSPARENT");
  EXPECT_EQ(settings.foreground, u"#00FF00");
  EXPECT_EQ(settings.selectedBackground, u"COLOR_HOMEHIGHLIGHT");
  EXPECT_EQ(settings.selectedForeground, u"#FFFFFF");
  EXPECT_EQ(settings.borderWidth, 2);

  // Missing attributes keep the defaults.
  const auto bare = SettingsFromScheme(1, pugi::xml_node(), pugi::xml_node());
  EXPECT_EQ(bare.height, 20);
  EXPECT_FALSE(bare.autoHeight);
  EXPECT_EQ(bare.fontSize, 14);
  EXPECT_TRUE(bare.foreground.empty());
}

TEST(TileSettingsTest, StreamLayoutRoundTripsAndEmptyStringsTakeDefaults) {
  TileSettings settings{.pluginHandle = 0x01020304,
                        .height = 25,
                        .autoHeight = true,
                        .showBottomBorder = 2,
                        .fontFace = u"NINA",
                        .fontSize = 12,
                        .fontWeight = u"BOLD",
                        .paddingLeft = 3,
                        .paddingTop = 1,
                        .background = u"#000000",
                        .foreground = u"A",
                        .selectedBackground = u"B",
                        .selectedForeground = u"C",
                        .borderColor = u"D",
                        .borderWidth = 5};
  const auto bytes = Saved(settings);
  // Handle, height, flag, border, then the face as a byte count and UTF-16.
  const std::vector<uint8_t> head = {4, 3, 2, 1, 25,  0, 0,   0, 1,   2, 0,   0, 0,
                                     8, 0, 0, 0, 'N', 0, 'I', 0, 'N', 0, 'A', 0};
  ASSERT_GE(bytes.size(), head.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(head.size())), head);
  EXPECT_EQ(Loaded(bytes), settings);

  // Hand-written: every string empty (count 0, and one negative count).
  std::vector<uint8_t> empty = {9, 0, 0, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0};
  const auto word = [&empty](uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) empty.push_back(static_cast<uint8_t>(value >> shift));
  };
  word(0);           // font-face
  word(14);          // font-size
  word(0xFFFFFFFF);  // font-weight, below 1
  word(0);           // padding-left
  word(0);           // padding-top
  for (int i = 0; i < 5; ++i) word(0);
  word(0);  // b-border-width
  const auto defaults = Loaded(empty);
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->pluginHandle, 9u);
  EXPECT_EQ(defaults->fontFace, u"");
  EXPECT_EQ(defaults->fontWeight, u"NORMAL");
  EXPECT_EQ(defaults->background, u"TRANSPARENT");
  EXPECT_EQ(defaults->foreground, u"COLOR_HOMETEXT");
  EXPECT_EQ(defaults->selectedBackground, u"COLOR_HOMEHIGHLIGHT");
  EXPECT_EQ(defaults->selectedForeground, u"COLOR_HOMEHIGHLIGHTTEXT");
  EXPECT_EQ(defaults->borderColor, u"COLOR_HOMERULE");

  // A stream that ends early, or claims a string of gigabytes, is refused.
  for (size_t length : {size_t{0}, size_t{8}, bytes.size() - 1}) {
    EXPECT_FALSE(Loaded(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length)))) << length;
  }
  auto huge = bytes;
  huge[13] = 0xFF;
  huge[14] = 0xFF;
  huge[15] = 0xFF;
  huge[16] = 0x7F;
  EXPECT_FALSE(Loaded(huge));
}

}  // namespace
}  // namespace quelt::home
