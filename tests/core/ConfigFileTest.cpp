#include "core/ConfigFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/KeyAction.h"

namespace quelt::core {
namespace {

const SettingsEnvironment kEnvironment{"/opt/quelt/", "/home/user/Documents", 240};

SettingsValues Defaults() { return DefaultSettingsValues(kEnvironment); }

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

SettingsValues Apply(std::string_view text, SettingsValues values = Defaults()) {
  ApplyConfigText(Bytes(text), values);
  return values;
}

std::string CrLfLines(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (const auto line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

struct LoadCase {
  const char* name;
  std::string text;
  std::function<void(const SettingsValues&)> check;
};

void RunLoadCases(const std::vector<LoadCase>& cases) {
  for (const auto& loadCase : cases) {
    SCOPED_TRACE(loadCase.name);
    loadCase.check(Apply(loadCase.text));
  }
}

TEST(ConfigFileDefaults, FollowTheEnvironment) {
  const struct {
    int screenWidth;
    std::u16string_view skin;
  } skins[] = {{176, u"Default.Skin.xml"}, {200, u"Default.Skin.xml"}, {201, u"QVGA.Skin.xml"}, {240, u"QVGA.Skin.xml"}};
  for (const auto& skin : skins) {
    SCOPED_TRACE(skin.screenWidth);
    EXPECT_EQ(DefaultSettingsValues({"/opt/quelt", "/docs", skin.screenWidth}).skinSource, skin.skin);
  }

  for (const char* programFolder : {"/opt/quelt/", "/opt/quelt"}) {
    const SettingsValues values = DefaultSettingsValues({programFolder, "/home/user/Documents", 240});
    EXPECT_EQ(values.historyFolder, u"/opt/quelt") << programFolder;
    EXPECT_EQ(values.outgoingFolder, u"/home/user/Documents");
    EXPECT_EQ(values.incomingFolder, u"/home/user/Documents");
  }

  const SettingsValues values = Defaults();
  ASSERT_EQ(values.loginHosts.size(), 7u);
  for (const auto& host : values.loginHosts) {
    EXPECT_FALSE(host.host.empty());
    EXPECT_EQ(host.port, "5190");
  }
}

TEST(ConfigFileLoad, KeysValuesAndAccountRules) {
  RunLoadCases({
      {"key in lower case with spaces, value true in lower case",
       "UIN=12345\r\n  icq_enabled  =  true  \r\n",
       [](const SettingsValues& v) { EXPECT_TRUE(v.icqEnabled); }},
      {"number without ICQ_ENABLED line enables ICQ", "UIN=12345\r\n",
       [](const SettingsValues& v) { EXPECT_TRUE(v.icqEnabled); }},
      {"explicit False with a number stays off", "ICQ_ENABLED=False\r\nUIN=12345\r\n",
       [](const SettingsValues& v) { EXPECT_FALSE(v.icqEnabled); }},
      {"no number disables ICQ", "ICQ_ENABLED=True\r\nUIN=\r\n",
       [](const SettingsValues& v) { EXPECT_FALSE(v.icqEnabled); }},
      {"no e-mail disables MSN", "MSN_ENABLED=True\r\n",
       [](const SettingsValues& v) { EXPECT_FALSE(v.msnEnabled); }},
      {"MSN with e-mail", "MSN_ENABLED=True\r\nMSN_EMAIL=a@b.c\r\n",
       [](const SettingsValues& v) {
         EXPECT_TRUE(v.msnEnabled);
         EXPECT_EQ(v.msnEmail, u"a@b.c");
       }},
      {"value keeps everything after the first =", "UIN=a=b = c\r\n",
       [](const SettingsValues& v) { EXPECT_EQ(v.uin, u"a=b = c"); }},
      {"proxy type upper-cased, later NONE keeps SOCKS5",
       "ICQ_PROXY_TYPE=socks5\r\nICQ_PROXY_TYPE=NONE\r\n",
       [](const SettingsValues& v) { EXPECT_EQ(v.icqProxyType, ProxyType::Socks5); }},
      {"proxy type http", "ICQ_PROXY_TYPE= Http \r\n",
       [](const SettingsValues& v) { EXPECT_EQ(v.icqProxyType, ProxyType::Http); }},
      {"white space of other scripts is trimmed",
       "\xE3\x80\x80UIN\xC2\xA0=\xE2\x80\x83" "42\xE2\x80\xA8\r\n",
       [](const SettingsValues& v) { EXPECT_EQ(v.uin, u"42"); }},
      {"empty value keeps source, folder and proxy defaults",
       "SKIN_SOURCE=\r\nHISTORY_FOLDER=  \r\nICQ_PROXY_HOST=host\r\nICQ_PROXY_HOST=\r\n",
       [](const SettingsValues& v) {
         EXPECT_EQ(v.skinSource, u"QVGA.Skin.xml");
         EXPECT_EQ(v.historyFolder, u"/opt/quelt");
         EXPECT_EQ(v.icqProxyHost, u"host");
       }},
      {"UIN and MSN_EMAIL take an empty value", "UIN=1\r\nMSN_EMAIL=x\r\nUIN=\r\nMSN_EMAIL=\r\n",
       [](const SettingsValues& v) {
         EXPECT_EQ(v.uin, u"");
         EXPECT_EQ(v.msnEmail, u"");
       }},
      {"proxy password is plain text", "ICQ_PROXY_PWD=###41\r\n",
       [](const SettingsValues& v) { EXPECT_EQ(v.icqProxyPassword, u"###41"); }},
      {"invalid UTF-8 becomes U+FFFD", "MSN_EMAIL=a\xFF" "b\r\n",
       [](const SettingsValues& v) { EXPECT_EQ(v.msnEmail, u"a\uFFFDb"); }},
  });
}

TEST(ConfigFileLoad, LineEndings) {
  RunLoadCases({
      {"CR LF with the last line unterminated", "SOUND=False\r\nUIN=77",
       [](const SettingsValues& v) {
         EXPECT_FALSE(v.sound);
         EXPECT_EQ(v.uin, u"77");
       }},
      {"bare LF ends a line", "SHOW_OFFLINE=True\nVIBRO=False\nUIN=77\n",
       [](const SettingsValues& v) {
         EXPECT_TRUE(v.showOffline);
         EXPECT_FALSE(v.vibro);
         EXPECT_EQ(v.uin, u"77");
       }},
      {"mixed endings", "SHOW_OFFLINE=True\nVIBRO=False\r\nUIN=77\n\r\nMSN_EMAIL=m@x\r\n",
       [](const SettingsValues& v) {
         EXPECT_TRUE(v.showOffline);
         EXPECT_FALSE(v.vibro);
         EXPECT_EQ(v.uin, u"77");
         EXPECT_EQ(v.msnEmail, u"m@x");
       }},
      {"a lone CR does not end a line", "UIN=1\r2\rSOUND=False\r\n",
       [](const SettingsValues& v) {
         EXPECT_EQ(v.uin, u"1\r2\rSOUND=False");
         EXPECT_TRUE(v.sound);
       }},
      {"CR CR LF", "UIN=5\r\r\nSOUND=False",
       [](const SettingsValues& v) {
         EXPECT_EQ(v.uin, u"5");
         EXPECT_FALSE(v.sound);
       }},
      {"byte-order mark before the first key", "\xEF\xBB\xBFSHOW_OFFLINE=True\r\n",
       [](const SettingsValues& v) { EXPECT_TRUE(v.showOffline); }},
  });
}

TEST(ConfigFileLoad, BooleanValues) {
  const struct {
    const char* value;
    bool expected;
  } cases[] = {{"True", true}, {"TRUE", true}, {"tRuE", true}, {" true ", true}, {"False", false},
               {"1", false},   {"yes", false}, {"", false},     {"TRUE1", false}, {"T RUE", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(Apply(std::string("SCROLLING=") + c.value).scrolling, c.expected);
  }
}

TEST(ConfigFileLoad, IntegerValuesReadLikeWcstol) {
  const struct {
    const char* value;
    int32_t expected;
  } cases[] = {{"42", 42},
               {"-7", -7},
               {"+8", 8},
               {"0012", 12},
               {"12abc", 12},
               {"3 4", 3},
               {"abc", 0},
               {"", 0},
               {"-", 0},
               {"- 5", 0},
               {"2147483647", INT32_MAX},
               {"2147483648", INT32_MAX},
               {"99999999999999999999999", INT32_MAX},
               {"-2147483648", INT32_MIN},
               {"-2147483649", INT32_MIN},
               {"-99999999999999999999999", INT32_MIN}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(Apply(std::string("VIBRO_COUNT=") + c.value).vibroCount, c.expected);
  }
}

TEST(ConfigFileLoad, KeyActions) {
  RunLoadCases({
      {"name in lower case is ignored", "KEY3=quit\r\n",
       [](const SettingsValues& v) { EXPECT_EQ(v.keys[3], KeyAction::Vibro); }},
      {"unknown name is ignored", "KEY4=REBOOT\r\nLSOFTKEY=\r\n",
       [](const SettingsValues& v) {
         EXPECT_EQ(v.keys[4], KeyAction::Chat);
         EXPECT_EQ(v.leftSoftKey, KeyAction::QuickSearch);
       }},
      {"exact names bind, key names are case-insensitive",
       "KEY3= QUIT \r\nkey0=NONE\r\nLSoftKey=SETTINGS\r\nKEY9=FIND\r\n",
       [](const SettingsValues& v) {
         EXPECT_EQ(v.keys[3], KeyAction::Quit);
         EXPECT_EQ(v.keys[0], KeyAction::None);
         EXPECT_EQ(v.leftSoftKey, KeyAction::Settings);
         EXPECT_EQ(v.keys[9], KeyAction::Find);
       }},
      {"KEY10 and KEY are not keys", "KEY10=NONE\r\nKEY=NONE\r\nKEY1X=NONE\r\n",
       [](const SettingsValues& v) { EXPECT_EQ(v.keys, Defaults().keys); }},
  });

  for (int number = 0; number < kKeyActionCount; ++number) {
    const auto action = static_cast<KeyAction>(number);
    EXPECT_EQ(KeyActionFromName(KeyActionName(action)), action) << number;
    EXPECT_FALSE(KeyActionLanguageKey(action).empty()) << number;
  }
  EXPECT_EQ(KeyActionName(KeyAction::ShowOffline), "SHOWOFFLINE");
  EXPECT_EQ(KeyActionLanguageKey(KeyAction::ShowOffline), "show_hide_offline");
  EXPECT_EQ(KeyActionLanguageKey(KeyAction::QuickSearch), "quick_search");
  EXPECT_EQ(KeyActionName(static_cast<KeyAction>(11)), "");
  EXPECT_EQ(KeyActionName(static_cast<KeyAction>(-1)), "");
  EXPECT_EQ(KeyActionFromName("Quit"), std::nullopt);
  EXPECT_EQ(KeyActionFromName(""), std::nullopt);
}

TEST(ConfigFileLoad, UnknownKeysAndMalformedLinesAreIgnored) {
  const std::string text =
      "# a comment\r\n"
      "FOO=bar\r\n"
      "no equals sign at all\r\n"
      "SOUND\r\n"
      "=False\r\n"
      "SOUND_X=False\r\n"
      "S OUND=False\r\n"
      "\r\n"
      "   \r\n"
      "ICQ_ENABLED\r\n";
  EXPECT_EQ(Apply(text), Defaults());
  // An empty file changes nothing, not even through the account rules.
  SettingsValues base = Defaults();
  base.icqEnabled = true;
  EXPECT_EQ(Apply("", base), base);
}

TEST(ConfigFileHosts, Parsing) {
  const struct {
    std::u16string_view value;
    std::vector<LoginHost> expected;
  } cases[] = {
      {u"one.example:1234,two.example", {{"one.example", "1234"}, {"two.example", "5190"}}},
      {u"a,,b,", {{"a", "5190"}, {"b", "5190"}}},
      {u"", {}},
      {u" , ,,", {}},
      {u" a : 1 ,\tb ", {{"a", "1"}, {"b", "5190"}}},
      {u"a:", {{"a", ""}}},
      {u"a:1:2", {{"a", "1:2"}}},
      {u"h\u00F4st:5190", {{"h\xF4st", "5190"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.value.begin(), c.value.end()));
    EXPECT_EQ(ParseLoginHosts(c.value), c.expected);
  }

  EXPECT_EQ(Apply("LOGINHOSTS=x.example\r\n").loginHosts, (std::vector<LoginHost>{{"x.example", "5190"}}));
  EXPECT_TRUE(Apply("LOGINHOSTS=\r\n").loginHosts.empty());
}

TEST(ConfigFileHosts, Writing) {
  EXPECT_EQ(FormatLoginHosts({{"a.example", "1"}, {"b.example", "5190"}}), u"a.example:1,b.example:5190");
  EXPECT_EQ(FormatLoginHosts({{"h\xF4st", "5190"}}), u"h\u00F4st:5190");
  EXPECT_EQ(FormatLoginHosts({}), u"");

  SettingsValues values = Defaults();
  values.loginHosts.clear();
  const std::string text = SerializeConfig(values);
  EXPECT_NE(text.find("\r\nLOGINHOSTS=\r\n"), std::string::npos);
  EXPECT_TRUE(Apply(text).loginHosts.empty());
}

TEST(ConfigFileSave, DefaultsExactly) {
  const std::string expected = CrLfLines({
      "ICQ_ENABLED=False",
      "UIN=",
      "PASSWORD=###",
      "MSN_ENABLED=False",
      "MSN_EMAIL=",
      "MSN_PASSWORD=###",
      "LOGINHOSTS=login.icq.com:5190,login.oscar.aol.com:5190,login.messaging.aol.com:5190,"
      "ibucp-vip-d.blue.aol.com:5190,ibucp-vip-m.blue.aol.com:5190,ibucp2-vip-m.blue.aol.com:5190,"
      "icq.mirabilis.com:5190",
      "ICQ_PROXY_TYPE=NONE",
      "ICQ_PROXY_HOST=",
      "ICQ_PROXY_PORT=0",
      "ICQ_PROXY_USER=",
      "ICQ_PROXY_PWD=",
      "SOUND=True",
      "VIBRO=True",
      "VIBRO_COUNT=5",
      "USER_ONLINE_SOUND=True",
      "SHOW_OFFLINE=False",
      "SHOW_DT=True",
      "SHOW_NAMES=True",
      "SENDING_ACK=True",
      "CODE_PAGE=0",
      "TYPING_NOTIFICATIONS=True",
      "SCROLLING=False",
      "JRIGHT_CHAT=True",
      "ICQ_PING_PERIOD=230",
      "MSN_PING_PERIOD=120",
      "ICQ_SUPPORT_CH2=False",
      "ICQ_STARTUP_CHECKOUT=True",
      "ICQ_SUPPORT_UNICODE_CAP=True",
      "AUTO_CONNECT=False",
      "ICQ_AUTO_STATUS=0",
      "MSN_AUTO_STATUS=1",
      "DELAY1=2000",
      "ANIMATE_SMILELIST=True",
      "SMILE_SOURCE=Default.Smilies.xml",
      "MSN_SMILE_SOURCE=MSN.Smilies.xml",
      "SKIN_SOURCE=QVGA.Skin.xml",
      "ICONS_SOURCE=Default.Icons.xml",
      "LANG_SOURCE=English.Lang.xml",
      "QSEARCH_SOURCE=English.QS.xml",
      "HISTORY_FOLDER=/opt/quelt",
      "OUTGOING_FOLDER=/home/user/Documents",
      "INCOMING_FOLDER=/home/user/Documents",
      "LSOFTKEY=QSEARCH",
      "KEY0=QUIT",
      "KEY1=SHOWOFFLINE",
      "KEY2=SOUND",
      "KEY3=VIBRO",
      "KEY4=CHAT",
      "KEY5=INFO",
      "KEY6=FIND",
      "KEY7=SETTINGS",
      "KEY8=SCROLLING",
      "KEY9=QSEARCH",
  });
  EXPECT_EQ(SerializeConfig(Defaults()), expected);
}

SettingsValues Configured() {
  SettingsValues v = Defaults();
  v.icqEnabled = true;
  v.uin = u"123456789";
  v.password = u"p\u00E4ssw\u00F6rd";
  v.msnEnabled = true;
  v.msnEmail = u"user@example.com";
  v.msnPassword = u"msn-Secret";
  v.loginHosts = {{"login.example.net", "443"}, {"backup.example.net", "5190"}};
  v.icqProxyType = ProxyType::Socks5;
  v.icqProxyHost = u"proxy.example.net";
  v.icqProxyPort = 1080;
  v.icqProxyUser = u"alice";
  v.icqProxyPassword = u"pr0xy";
  v.sound = false;
  v.vibro = false;
  v.vibroCount = 3;
  v.userOnlineSound = false;
  v.showOffline = true;
  v.showDateTime = false;
  v.showNames = false;
  v.sendingAck = false;
  v.codePage = 1251;
  v.typingNotifications = false;
  v.scrolling = true;
  v.jrightChat = false;
  v.icqPingPeriod = -60;
  v.msnPingPeriod = 90;
  v.icqSupportCh2 = true;
  v.icqStartupCheckout = false;
  v.icqSupportUnicodeCap = false;
  v.autoConnect = true;
  v.icqAutoStatus = 32;
  v.msnAutoStatus = 8;
  v.delay1 = 1500;
  v.animateSmileList = false;
  v.smileSource = u"Big.Smilies.xml";
  v.iconsSource = u"Big.Icons.xml";
  v.skinSource = u"Default.Skin.xml";
  v.langSource = u"Deutsch.Lang.xml";
  v.historyFolder = u"/home/j\u00FCrgen/Verlauf";
  v.incomingFolder = u"/home/j\u00FCrgen/\u0417\u0430\u0433\u0440\u0443\u0437\u043A\u0438";
  v.leftSoftKey = KeyAction::None;
  v.keys[0] = KeyAction::Settings;
  v.keys[5] = KeyAction::Quit;
  return v;
}

TEST(ConfigFileSave, ConfiguredExactly) {
  const std::string expected = CrLfLines({
      "ICQ_ENABLED=True",
      "UIN=123456789",
      "PASSWORD=###977A36674434EBE4",
      "MSN_ENABLED=True",
      "MSN_EMAIL=user@example.com",
      "MSN_PASSWORD=###92C533A16887DADA3272",
      "LOGINHOSTS=login.example.net:443,backup.example.net:5190",
      "ICQ_PROXY_TYPE=SOCKS5",
      "ICQ_PROXY_HOST=proxy.example.net",
      "ICQ_PROXY_PORT=1080",
      "ICQ_PROXY_USER=alice",
      "ICQ_PROXY_PWD=pr0xy",
      "SOUND=False",
      "VIBRO=False",
      "VIBRO_COUNT=3",
      "USER_ONLINE_SOUND=False",
      "SHOW_OFFLINE=True",
      "SHOW_DT=False",
      "SHOW_NAMES=False",
      "SENDING_ACK=False",
      "CODE_PAGE=1251",
      "TYPING_NOTIFICATIONS=False",
      "SCROLLING=True",
      "JRIGHT_CHAT=False",
      "ICQ_PING_PERIOD=-60",
      "MSN_PING_PERIOD=90",
      "ICQ_SUPPORT_CH2=True",
      "ICQ_STARTUP_CHECKOUT=False",
      "ICQ_SUPPORT_UNICODE_CAP=False",
      "AUTO_CONNECT=True",
      "ICQ_AUTO_STATUS=32",
      "MSN_AUTO_STATUS=8",
      "DELAY1=1500",
      "ANIMATE_SMILELIST=False",
      "SMILE_SOURCE=Big.Smilies.xml",
      "MSN_SMILE_SOURCE=MSN.Smilies.xml",
      "SKIN_SOURCE=Default.Skin.xml",
      "ICONS_SOURCE=Big.Icons.xml",
      "LANG_SOURCE=Deutsch.Lang.xml",
      "QSEARCH_SOURCE=English.QS.xml",
      "HISTORY_FOLDER=/home/j\xC3\xBCrgen/Verlauf",
      "OUTGOING_FOLDER=/home/user/Documents",
      "INCOMING_FOLDER=/home/j\xC3\xBCrgen/\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB8",
      "LSOFTKEY=NONE",
      "KEY0=SETTINGS",
      "KEY1=SHOWOFFLINE",
      "KEY2=SOUND",
      "KEY3=VIBRO",
      "KEY4=CHAT",
      "KEY5=QUIT",
      "KEY6=FIND",
      "KEY7=SETTINGS",
      "KEY8=SCROLLING",
      "KEY9=QSEARCH",
  });
  EXPECT_EQ(SerializeConfig(Configured()), expected);
}

TEST(ConfigFileSave, EmptySourcesAndFoldersAreLeftOut) {
  SettingsValues values = Configured();
  values.iconsSource.clear();
  values.outgoingFolder.clear();
  const std::string text = SerializeConfig(values);
  EXPECT_EQ(text.find("ICONS_SOURCE"), std::string::npos);
  EXPECT_EQ(text.find("OUTGOING_FOLDER"), std::string::npos);
  const SettingsValues loaded = Apply(text);
  EXPECT_EQ(loaded.iconsSource, Defaults().iconsSource);
  EXPECT_EQ(loaded.outgoingFolder, Defaults().outgoingFolder);
}

TEST(ConfigFileSave, LoadSaveLoadRoundTrip) {
  const SettingsValues configured = Configured();
  const std::string text = SerializeConfig(configured);
  const SettingsValues loaded = Apply(text);
  EXPECT_EQ(loaded, configured);
  EXPECT_EQ(SerializeConfig(loaded), text);

  // The same file with LF endings, as an editor on this system may leave it, loads the same.
  std::string lfText;
  for (const char c : text) {
    if (c != '\r') lfText += c;
  }
  EXPECT_EQ(Apply(lfText), configured);
}

TEST(ConfigFileSave, PlainPasswordIsWrittenScrambled) {
  const SettingsValues loaded = Apply("UIN=1\r\nPASSWORD=hunter2\r\n");
  EXPECT_EQ(loaded.password, u"hunter2");
  const std::string text = SerializeConfig(loaded);
  EXPECT_NE(text.find("\r\nPASSWORD=###AFCB336876B82B\r\n"), std::string::npos);
  EXPECT_EQ(text.find("hunter2"), std::string::npos);
  EXPECT_EQ(Apply(text).password, u"hunter2");
}

}  // namespace
}  // namespace quelt::core
