#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "core/Application.h"
#include "resources/LanguageKeys.h"
#include "resources/QuickSearchMap.h"
#include "resources/TextResources.h"
#include "support/TempFolder.h"

namespace quelt::resources {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

TEST(LanguageTableTest, KeysAreFoundByName) {
  for (size_t i = 0; i < kLanguageKeys.size(); ++i) EXPECT_EQ(LanguageKeyIndex(kLanguageKeys[i]), i);
  for (const std::string_view other : {"", "Offline", "offline ", "zzz", "a"}) EXPECT_FALSE(LanguageKeyIndex(other));
}

TEST(LanguageTableTest, FileGivesTheTextsOfTheRootsFirstChildren) {
  LanguageTable table;
  ASSERT_TRUE(
      table.LoadFromBytes(Bytes("<?xml version='1.0' encoding='UTF-8'?><lang id='xx' name='Test'>"
                                "<offline>Away from &amp; keyboard</offline><unknown>ignored</unknown>"
                                "<send>Send</send><send>second</send><ok></ok><menu><b>Me</b>nu</menu>"
                                "<group><cancel>nested</cancel></group></lang>")));
  EXPECT_EQ(table.Id(), u"xx");
  EXPECT_EQ(table.Name(), u"Test");
  EXPECT_EQ(table.Text("offline"), u"Away from & keyboard");
  EXPECT_EQ(table.Text("send"), u"Send");
  EXPECT_EQ(table.Text("menu"), u"Menu");
  EXPECT_EQ(table.Text("ok"), u"");
  EXPECT_EQ(table.Text("cancel"), u"");  // only the root's own children count
  EXPECT_EQ(table.Text("unknown"), u"");

  // A reload replaces the whole table; texts the new file lacks become empty.
  ASSERT_TRUE(table.LoadFromBytes(Bytes("<l><ok>OK</ok></l>")));
  EXPECT_EQ(table.Text("ok"), u"OK");
  EXPECT_EQ(table.Text("send"), u"");
  EXPECT_EQ(table.Name(), u"");
}

TEST(LanguageTableTest, FailedLoadChangesNothing) {
  const test::TempFolder folder;
  test::WriteFile(folder / "Good.xml", "<l name='Good'><ok>Fine</ok></l>");
  test::WriteFile(folder / "sub" / "Broken.xml", "<l name='Broken'><ok>Bad</ok>");
  std::filesystem::create_directories(folder / "sub" / "Folder.xml");
  LanguageTable table;
  ASSERT_TRUE(table.LoadLanguage(folder.Path(), u"Good.xml"));
  for (const std::u16string file :
       {u"Broken.xml", u"Missing.xml", u"Folder.xml", u"", u"../Good.xml", u"./../Good.xml"}) {
    EXPECT_FALSE(table.LoadLanguage(folder / "sub", file)) << std::string(file.begin(), file.end());
  }
  EXPECT_FALSE(table.LoadLanguage("", u"Good.xml"));
  EXPECT_FALSE(table.LoadFromBytes({}));
  EXPECT_FALSE(table.LoadFromBytes(Bytes("just text")));
  EXPECT_EQ(table.Name(), u"Good");
  EXPECT_EQ(table.Text("ok"), u"Fine");
}

TEST(LanguageTableTest, ShippedFilesAreComplete) {
  const std::filesystem::path data = QUELT_DATA_DIR;
  for (const std::u16string language : {u"English", u"Russian"}) {
    TextResources resources;
    ASSERT_TRUE(resources.LoadLanguage(data / "Language", language + u".Lang.xml"));
    ASSERT_TRUE(resources.LoadKeypadMap(data / "QSearch", language + u".QS.xml"));
    EXPECT_FALSE(resources.Language().Name().empty());
    EXPECT_FALSE(resources.KeypadMap().Name().empty());
    for (const std::string_view key : kLanguageKeys) EXPECT_FALSE(resources.Text(key).empty()) << key;
  }
  QuickSearchMap builtIn, english;
  ASSERT_TRUE(english.LoadKeypadMap(data / "QSearch", u"English.QS.xml"));
  for (const char16_t key : std::u16string_view(u"0123456789*#"))
    EXPECT_EQ(english.CharsForKey(key), builtIn.CharsForKey(key));
}

TEST(LanguageTableTest, ReadersOnOtherThreadsSeeOneTableOrTheOther) {
  LanguageTable table;
  std::atomic<bool> done{false};
  std::thread reader([&] {
    while (!done.load()) {
      const std::u16string text = table.Text("ok");
      EXPECT_TRUE(text.empty() || text == u"1" || text == u"2");
    }
  });
  for (int i = 0; i < 200; ++i)
    EXPECT_TRUE(table.LoadFromBytes(Bytes(i % 2 ? "<l><ok>1</ok></l>" : "<l><ok>2</ok></l>")));
  done.store(true);
  reader.join();
  EXPECT_EQ(table.Text("ok"), u"1");
}

TEST(LanguageTableTest, StartUpLoadsTheConfiguredLanguageAndNamesStatusesWithIt) {
  test::TempFolder program;
  test::WriteFile(program / "Messenger.config", "LANG_SOURCE=Test.Lang.xml\r\n");
  test::WriteFile(program / "Language" / "Test.Lang.xml", "<l id='t' name='T'><away>Gone</away><busy>Busy</busy></l>");
  auto texts = std::make_shared<TextResources>();
  core::Application application(core::SettingsEnvironment{.programFolder = program.Path()}, nullptr,
                                core::ApplicationServices{.language = texts});
  application.Initialise();
  EXPECT_EQ(texts->Language().Name(), u"T");
  EXPECT_EQ(application.IcqStatusName(0x00010005), u"");  // not_available is not in the file
  EXPECT_EQ(application.IcqStatusName(0x00010001), u"Gone");
  EXPECT_EQ(application.MsnStatusName(2), u"Busy");
  EXPECT_EQ(texts->KeypadMap().CharsForKey(u'2'), u"2abc");  // no map file: the built-in entries
}

}  // namespace
}  // namespace quelt::resources
