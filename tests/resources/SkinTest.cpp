// Skin values, the skin and override files, icon sets and the lookup of set files.
#include <gtest/gtest.h>

#include "platform/screen/Image.h"
#include "resources/IconSet.h"
#include "resources/LookSet.h"
#include "resources/SetLocator.h"
#include "resources/Skin.h"
#include "support/TempFolder.h"

namespace quelt::resources {
namespace {

using platform::Color;

constexpr Color kRed = Color::FromRgb(0xFF0000);

TEST(SkinValuesTest, TextsGiveTheirValueOrKeepTheDefault) {
  struct ColorCase {
    std::u16string_view text;
    SkinColor expected;
  } colors[] = {
      {u"#00FF00", Color::FromRgb(0x00FF00)},
      {u"00ff00", Color::FromRgb(0x00FF00)},
      {u"#0F0", kRed},
      {u"transparent", std::nullopt},
      {u"TrAnSpArEnT", std::nullopt},
      {u"", kRed},
      {u"#00FF0G", kRed},
      {u"##00FF00", kRed},
      {u"transparent ", kRed},
  };
  for (const auto& c : colors) {
    EXPECT_EQ(ParseSkinColor(c.text, kRed), c.expected) << std::string(c.text.begin(), c.text.end());
  }

  struct IntegerCase {
    std::u16string_view text;
    int expected;
  } integers[] = {{u"24", 24}, {u"12px", 12}, {u"-2", -2}, {u"", 7}, {u"px", 7}, {u"99999999999", INT32_MAX}};
  for (const auto& c : integers) EXPECT_EQ(ParseSkinInteger(c.text, 7), c.expected);

  EXPECT_EQ(ParseSkinWeight(u"1", kNormalWeight), kBoldWeight);
  EXPECT_EQ(ParseSkinWeight(u"0", kBoldWeight), kNormalWeight);
  EXPECT_EQ(ParseSkinWeight(u"true", kBoldWeight), kBoldWeight);

  const Alignment rightTop{HorizontalAlign::Right, VerticalAlign::Top};
  EXPECT_EQ(ParseSkinAlignment(u"CB", rightTop), (Alignment{HorizontalAlign::Center, VerticalAlign::Bottom}));
  EXPECT_EQ(ParseSkinAlignment(u"", rightTop), Alignment{});
  EXPECT_EQ(ParseSkinAlignment(u"xc", rightTop), (Alignment{HorizontalAlign::Right, VerticalAlign::Center}));
}

class SkinFolderTest : public ::testing::Test {
 protected:
  void WriteSkin(const std::string& set, const std::string& file, const std::string& body) {
    test::WriteFile(folder_ / "Skin" / set / file, "<?xml version=\"1.0\"?>\n<skin>" + body + "</skin>");
  }
  Skin LoadSkin(const std::u16string& file) {
    Skin skin;
    loaded_ = skin.Load(folder_ / "Skin", file);
    return skin;
  }
  test::TempFolder folder_;
  bool loaded_ = false;
};

TEST_F(SkinFolderTest, SkinValuesSectionsAndPaneOrder) {
  WriteSkin("Blue", "Blue.Skin.xml",
            "<desc>Blue</desc><toolbar><height>20</height><bgcolor>transparent</bgcolor></toolbar>"
            "<contactlist><contactheight>22</contactheight><fontbold>1</fontbold><fontname>Sans</fontname>"
            "<chatimage>ind\\chat.png</chatimage><msgimage>../../escape.png</msgimage></contactlist>"
            "<status><height>0</height></status><chat><bgimage_align>cb</bgimage_align></chat>");
  const Skin skin = LoadSkin(u"Blue.Skin.xml");
  ASSERT_TRUE(loaded_);
  const SkinData& values = skin.Effective();
  EXPECT_EQ(values.description, u"Blue");
  EXPECT_EQ(values.contactList.rowHeight, 22);
  EXPECT_EQ(values.contactList.font, (SkinFont{u"Sans", 14, kBoldWeight}));
  EXPECT_EQ(values.toolbar.background, std::nullopt);
  ASSERT_TRUE(values.contactList.chatImage);
  EXPECT_EQ(values.contactList.chatImage->Path(), folder_ / "Skin" / "Blue" / "ind" / "chat.png");
  EXPECT_FALSE(values.contactList.messageImage);  // outside the set's folder
  EXPECT_EQ(values.chat.backgroundAlign, (Alignment{HorizontalAlign::Center, VerticalAlign::Bottom}));
  // Sections the file leaves out keep every default.
  EXPECT_EQ(values.downloads.rowHeight, 20);
  EXPECT_EQ(values.chat.fileBackground, std::nullopt);
  EXPECT_EQ(values.chat.font, (SkinFont{u"Nina", 15, kNormalWeight}));
  // The toolbar comes first; the status pane has height 0 and is left out.
  EXPECT_EQ(skin.Panes(), (std::vector<Pane>{Pane::Toolbar, Pane::ContactList}));

  WriteSkin("Blue", "Flat.Skin.xml", "<toolbar><height>0</height></toolbar><contactlist/>");
  EXPECT_EQ(LoadSkin(u"Flat.Skin.xml").Panes(), (std::vector<Pane>{Pane::ContactList, Pane::Status}));
}

TEST_F(SkinFolderTest, MissingOrForeignFilesLeaveTheBuiltInSkin) {
  WriteSkin("A", "Icons.Skin.xml", "");
  test::WriteFile(folder_ / "Skin" / "A" / "Other.Skin.xml", "<icons><desc>x</desc></icons>");
  test::WriteFile(folder_ / "Skin" / "A" / "Broken.Skin.xml", "<skin><desc>cut");
  for (const std::u16string file :
       {u"Absent.Skin.xml", u"Other.Skin.xml", u"Broken.Skin.xml", u"../A/Icons.Skin.xml"}) {
    const Skin skin = LoadSkin(file);
    EXPECT_FALSE(loaded_);
    EXPECT_EQ(skin.Effective().description, u"Default Skin");
    EXPECT_EQ(skin.Panes(), (std::vector<Pane>{Pane::ContactList, Pane::Status}));
    EXPECT_FALSE(skin.SaveOverride());
  }
}

TEST_F(SkinFolderTest, OverridesWinUnlessUnsetAndSurviveASaveAndLoad) {
  WriteSkin("Big", "Big.Skin.xml",
            "<contactlist><contactheight>30</contactheight><fontsize>16</fontsize></contactlist>"
            "<toolbar><height>18</height></toolbar><chat><msgareaheight>4</msgareaheight></chat>");
  test::WriteFile(folder_ / "Skin" / "Big" / "Override.Big.Skin.xml",
                  "<skin><contactlist><contactheight>24</contactheight><fontsize>0</fontsize></contactlist>"
                  "<toolbar><height>0</height></toolbar><chat><fontbold>1</fontbold></chat></skin>");
  Skin skin = LoadSkin(u"Big.Skin.xml");
  ASSERT_TRUE(loaded_);
  EXPECT_EQ(skin.Effective().contactList.rowHeight, 24);
  EXPECT_EQ(skin.Effective().contactList.font.size, 16);  // an override of 0 is no override
  EXPECT_EQ(skin.Effective().chat.font.weight, kBoldWeight);
  EXPECT_EQ(skin.Effective().chat.entryLines, 4);
  EXPECT_EQ(skin.FileValues().contactList.rowHeight, 30);
  EXPECT_EQ(skin.Panes(), (std::vector<Pane>{Pane::ContactList, Pane::Status}));  // toolbar overridden to 0

  SkinOverride changed;
  changed.rowHeight = 19;
  changed.statusFont = {u"Mono", 11, kNormalWeight};
  changed.userInfoFont.weight = kBoldWeight;
  changed.entryLines = 2;
  skin.SetOverride(changed);
  ASSERT_TRUE(skin.SaveOverride());
  const Skin reloaded = LoadSkin(u"Big.Skin.xml");
  EXPECT_EQ(reloaded.Override(), changed);
  EXPECT_EQ(reloaded.Effective().toolbar.height, 18);  // -1: the skin's own height again
  const std::string written = test::ReadFile(folder_ / "Skin" / "Big" / "Override.Big.Skin.xml");
  EXPECT_EQ(written.find("<height>"), std::string::npos);
  EXPECT_EQ(written.find("fontsize>0<"), std::string::npos);
}

TEST_F(SkinFolderTest, SetsAreFoundInTheFirstSubfolderAndListedWithoutOverrides) {
  WriteSkin("b-second", "Shared.Skin.xml", "<desc>second</desc>");
  WriteSkin("a-first", "Shared.Skin.xml", "<desc>first</desc>");
  WriteSkin("a-first", "Override.Shared.Skin.xml", "");
  WriteSkin("b-second", "Night.skin.XML", "");
  test::WriteFile(folder_ / "Skin" / "a-first" / "notes.txt", "");
  test::WriteFile(folder_ / "Skin" / "Loose.Skin.xml", "<skin/>");  // not in a set folder
  EXPECT_EQ(LoadSkin(u"Shared.Skin.xml").Effective().description, u"first");
  EXPECT_EQ(FindSetFolder(folder_ / "Skin", u"Loose.Skin.xml"), std::nullopt);

  std::vector<std::pair<std::u16string, std::u16string>> listed;
  for (const SetFile& set : ListSets(folder_.Path(), SetKind::Skin)) {
    listed.emplace_back(set.subfolder, set.fileName);
    EXPECT_TRUE(std::filesystem::is_regular_file(set.path));
  }
  EXPECT_EQ(listed, (std::vector<std::pair<std::u16string, std::u16string>>{{u"a-first", u"Shared.Skin.xml"},
                                                                            {u"b-second", u"Night.skin.XML"},
                                                                            {u"b-second", u"Shared.Skin.xml"}}));
  EXPECT_TRUE(ListSets(folder_.Path(), SetKind::Smilies).empty());
}

TEST_F(SkinFolderTest, IconSetsNameTheirImagesAndFallBackToTheBuiltInSet) {
  test::WriteFile(folder_ / "Icons" / "Mine" / "Mine.Icons.xml",
                  "<icons><desc>Mine</desc><online>on.png</online><msn_multi>multi.gif</msn_multi>"
                  "<away></away></icons>");
  const auto icons = LoadIconSet(folder_ / "Icons", u"Mine.Icons.xml");
  ASSERT_TRUE(icons);
  EXPECT_EQ(icons->description, u"Mine");
  ASSERT_TRUE(icons->Get(Icon::Online));
  EXPECT_EQ(icons->Get(Icon::Online)->Path(), folder_ / "Icons" / "Mine" / "on.png");
  EXPECT_EQ(icons->Get(Icon::MsnMulti)->DrawMode(), platform::Image::Mode::TransparentKey);
  EXPECT_FALSE(icons->Get(Icon::Away));
  EXPECT_FALSE(icons->Get(Icon::MsnOffline));
  EXPECT_FALSE(LoadIconSet(folder_ / "Icons", u"Missing.Icons.xml"));

  LookSet look;
  look.LoadIcons(folder_ / "Icons", u"Missing.Icons.xml");
  EXPECT_EQ(look.CurrentIcons()->description, u"Default Icons");
  look.LoadIcons(folder_ / "Icons", u"Mine.Icons.xml");
  EXPECT_EQ(look.CurrentIcons()->description, u"Mine");
}

}  // namespace
}  // namespace quelt::resources
