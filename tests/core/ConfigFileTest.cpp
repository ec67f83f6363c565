#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ConfigFile.h"
#include "core/KeyAction.h"

namespace quelt::core {
namespace {

SettingsValues Defaults() { return DefaultSettingsValues({"/opt/quelt/", "/home/user/Documents", 240}); }

SettingsValues Apply(std::string_view text) {
  SettingsValues values = Defaults();
  ApplyConfigText({reinterpret_cast<const uint8_t*>(text.data()), text.size()}, values);
  return values;
}

TEST(ConfigFileLoad, LineKeyAndValueRules) {
  // Each case lists what the text changes; every other value must keep its default.
  const struct {
    const char* name;
    std::string text;
    std::function<void(SettingsValues&)> change;
  } cases[] = {
      {"keys ignore case and spaces, only TRUE is true", "  show_offline  =  tRuE  \r\nSound=TRUE1\r\nvibro=1\r\n",
       [](SettingsValues& v) {
         v.showOffline = true;
         v.sound = false;
         v.vibro = false;
       }},
      {"integers read like wcstol and saturate",
       "VIBRO_COUNT=12abc\r\nICQ_PING_PERIOD=+8\r\nMSN_AUTO_STATUS=- 5\r\nCODE_PAGE=2147483648\r\n"
       "ICQ_PROXY_PORT=99999999999999999999999\r\nDELAY1=-2147483649\r\n",
       [](SettingsValues& v) {
         v.vibroCount = 12;
         v.icqPingPeriod = 8;
         v.msnAutoStatus = 0;
         v.codePage = INT32_MAX;
         v.icqProxyPort = INT32_MAX;
         v.delay1 = INT32_MIN;
       }},
      {"a later NONE keeps the proxy type", "ICQ_PROXY_TYPE=socks5\r\nICQ_PROXY_TYPE=NONE\r\n",
       [](SettingsValues& v) { v.icqProxyType = ProxyType::Socks5; }},
      {"key actions need the exact name", "KEY3=quit\r\nKEY4=REBOOT\r\nkey5= QUIT \r\nLSoftKey=NONE\r\nKEY10=NONE\r\n",
       [](SettingsValues& v) {
         v.keys[5] = KeyAction::Quit;
         v.leftSoftKey = KeyAction::None;
       }},
      {"unknown keys, lines without a key and empty sources change nothing",
       "FOO=bar\r\nno equals sign\r\nSOUND\r\n=False\r\nSOUND_X=False\r\nSKIN_SOURCE=\r\n\r\n", [](SettingsValues&) {}},
      {"the value runs to the end of the last line, which needs no CR LF", "SOUND=False\r\nUIN=a=b = c",
       [](SettingsValues& v) {
         v.sound = false;
         v.uin = u"a=b = c";
         v.icqEnabled = true;  // a number without an ICQ_ENABLED line
       }},
      {"ICQ_ENABLED=False stays off, MSN without an e-mail is off",
       "ICQ_ENABLED=False\r\nUIN=12345\r\nMSN_ENABLED=True\r\n", [](SettingsValues& v) { v.uin = u"12345"; }},
      {"byte-order mark, bare LF, mixed endings; ICQ without a number is off",
       "\xEF\xBB\xBFMSN_ENABLED=True\nMSN_EMAIL=a@b.c\r\nICQ_ENABLED=True\n\r\nVIBRO=False\n",
       [](SettingsValues& v) {
         v.msnEnabled = true;
         v.msnEmail = u"a@b.c";
         v.vibro = false;
       }},
      {"an empty host list stays empty", "LOGINHOSTS=\r\n", [](SettingsValues& v) { v.loginHosts.clear(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SettingsValues expected = Defaults();
    c.change(expected);
    EXPECT_EQ(Apply(c.text), expected);
  }
}

TEST(ConfigFileHosts, ParseAndWrite) {
  const struct {
    std::u16string_view value;
    std::vector<LoginHost> hosts;
    std::u16string_view written;
  } cases[] = {
      {u"one.example:1234,,two.example,",
       {{"one.example", "1234"}, {"two.example", "5190"}},
       u"one.example:1234,two.example:5190"},
      {u" , ,,", {}, u""},
      {u" a : 1 ,\tb ", {{"a", "1"}, {"b", "5190"}}, u"a:1,b:5190"},
      {u"a:1:2", {{"a", "1:2"}}, u"a:1:2"},
      {u"h\u00F4st:5190", {{"h\xF4st", "5190"}}, u"h\u00F4st:5190"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.written.begin(), c.written.end()));
    EXPECT_EQ(ParseLoginHosts(c.value), c.hosts);
    EXPECT_EQ(FormatLoginHosts(c.hosts), c.written);
  }
}

// Every value differs from its default, so a key that is lost or mixed up on either side shows.
const SettingsValues kConfigured{
    .icqEnabled = true,
    .uin = u"123456789",
    .password = u"p\u00E4ssw\u00F6rd",
    .msnEnabled = true,
    .msnEmail = u"user@example.com",
    .msnPassword = u"msn-Secret",
    .loginHosts = {{"login.example.net", "443"}, {"backup.example.net", "5190"}},
    .icqProxyType = ProxyType::Socks5,
    .icqProxyHost = u"proxy.example.net",
    .icqProxyPort = 1080,
    .icqProxyUser = u"alice",
    .icqProxyPassword = u"pr0xy",
    .sound = false,
    .vibro = false,
    .vibroCount = 3,
    .userOnlineSound = false,
    .showOffline = true,
    .showDateTime = false,
    .showNames = false,
    .sendingAck = false,
    .codePage = 1251,
    .typingNotifications = false,
    .smileSource = u"Big.Smilies.xml",
    .msnSmileSource = u"Big.MSN.xml",
    .skinSource = u"Default.Skin.xml",
    .iconsSource = u"Big.Icons.xml",
    .langSource = u"Deutsch.Lang.xml",
    .qsearchSource = u"Deutsch.QS.xml",
    .historyFolder = u"/home/j\u00FCrgen/Verlauf",
    .outgoingFolder = u"/tmp/out",
    .incomingFolder = u"/home/j\u00FCrgen/\u0417\u0430\u0433\u0440\u0443\u0437\u043A\u0438",
    .scrolling = true,
    .jrightChat = false,
    .icqPingPeriod = -60,
    .msnPingPeriod = 90,
    .icqSupportCh2 = true,
    .icqStartupCheckout = false,
    .icqSupportUnicodeCap = false,
    .autoConnect = true,
    .icqAutoStatus = 32,
    .msnAutoStatus = 8,
    .delay1 = 1500,
    .animateSmileList = false,
    .leftSoftKey = KeyAction::None,
    .keys = {KeyAction::Settings, KeyAction::Sound, KeyAction::Vibro, KeyAction::Chat, KeyAction::Info, KeyAction::Quit,
             KeyAction::Scrolling, KeyAction::Find, KeyAction::QuickSearch, KeyAction::ShowOffline}};

const std::string kConfiguredFile =
    "ICQ_ENABLED=True\r\nUIN=123456789\r\nPASSWORD=###977A36674434EBE4\r\nMSN_ENABLED=True\r\n"
    "MSN_EMAIL=user@example.com\r\nMSN_PASSWORD=###92C533A16887DADA3272\r\n"
    "LOGINHOSTS=login.example.net:443,backup.example.net:5190\r\nICQ_PROXY_TYPE=SOCKS5\r\n"
    "ICQ_PROXY_HOST=proxy.example.net\r\nICQ_PROXY_PORT=1080\r\nICQ_PROXY_USER=alice\r\nICQ_PROXY_PWD=pr0xy\r\n"
    "SOUND=False\r\nVIBRO=False\r\nVIBRO_COUNT=3\r\nUSER_ONLINE_SOUND=False\r\nSHOW_OFFLINE=True\r\nSHOW_DT=False\r\n"
    "SHOW_NAMES=False\r\nSENDING_ACK=False\r\nCODE_PAGE=1251\r\nTYPING_NOTIFICATIONS=False\r\nSCROLLING=True\r\n"
    "JRIGHT_CHAT=False\r\nICQ_PING_PERIOD=-60\r\nMSN_PING_PERIOD=90\r\nICQ_SUPPORT_CH2=True\r\n"
    "ICQ_STARTUP_CHECKOUT=False\r\nICQ_SUPPORT_UNICODE_CAP=False\r\nAUTO_CONNECT=True\r\nICQ_AUTO_STATUS=32\r\n"
    "MSN_AUTO_STATUS=8\r\nDELAY1=1500\r\nANIMATE_SMILELIST=False\r\nSMILE_SOURCE=Big.Smilies.xml\r\n"
    "MSN_SMILE_SOURCE=Big.MSN.xml\r\nSKIN_SOURCE=Default.Skin.xml\r\nICONS_SOURCE=Big.Icons.xml\r\n"
    "LANG_SOURCE=Deutsch.Lang.xml\r\nQSEARCH_SOURCE=Deutsch.QS.xml\r\nHISTORY_FOLDER=/home/j\xC3\xBCrgen/Verlauf\r\n"
    "OUTGOING_FOLDER=/tmp/out\r\n"
    "INCOMING_FOLDER=/home/j\xC3\xBCrgen/\xD0\x97\xD0\xB0\xD0\xB3\xD1\x80\xD1\x83\xD0\xB7\xD0\xBA\xD0\xB8\r\n"
    "LSOFTKEY=NONE\r\nKEY0=SETTINGS\r\nKEY1=SOUND\r\nKEY2=VIBRO\r\nKEY3=CHAT\r\nKEY4=INFO\r\nKEY5=QUIT\r\n"
    "KEY6=SCROLLING\r\nKEY7=FIND\r\nKEY8=QSEARCH\r\nKEY9=SHOWOFFLINE\r\n";

TEST(ConfigFileSave, WritesEveryKeyInOrderAndLoadsBack) {
  EXPECT_EQ(SerializeConfig(kConfigured), kConfiguredFile);
  EXPECT_EQ(Apply(kConfiguredFile), kConfigured);
}

TEST(ConfigFileSave, PlainPasswordIsSavedScrambled) {
  const SettingsValues loaded = Apply("UIN=1\r\nPASSWORD=hunter2\r\n");
  EXPECT_EQ(loaded.password, u"hunter2");
  const std::string saved = SerializeConfig(loaded);
  EXPECT_NE(saved.find("\r\nPASSWORD=###AFCB336876B82B\r\n"), std::string::npos);
  EXPECT_EQ(saved.find("hunter2"), std::string::npos);
}

TEST(ConfigFileSave, ServerEndpointsAreWrittenOnlyWhenChanged) {
  SettingsValues changed = kConfigured;
  changed.msnServer = u"127.0.0.1:4000";
  changed.msnCaFile = u"/etc/own-ca.pem";
  const std::string saved = SerializeConfig(changed);
  ASSERT_EQ(saved.substr(0, kConfiguredFile.size()), kConfiguredFile);  // the usual keys, unchanged
  EXPECT_EQ(saved.substr(kConfiguredFile.size()), "MSN_SERVER=127.0.0.1:4000\r\nMSN_CA_FILE=/etc/own-ca.pem\r\n");
  EXPECT_EQ(Apply(saved), changed);
  EXPECT_EQ(Apply(saved + "MSN_NEXUS=localhost:8443\r\n").msnNexus, u"localhost:8443");
  EXPECT_EQ(Apply("MSN_SERVER=\r\n").msnServer, kDefaultMsnServer);
}

}  // namespace
}  // namespace quelt::core
