#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/KeyAction.h"

namespace quelt::core {

enum class ProxyType : int32_t { None = 0, Socks5 = 1, Http = 2 };

// One ICQ login server. Held as 8-bit text in the ANSI code page, as the protocol wants it.
struct LoginHost {
  std::string host;
  std::string port;  // decimal text, "5190" when the entry gave none

  bool operator==(const LoginHost&) const = default;
};

// Every value of "Messenger.config". Defaults that depend on the machine (folders, skin) are
// filled by the Settings object that owns these values.
inline constexpr std::u16string_view kDefaultMsnServer = u"messenger.hotmail.com:1863";
inline constexpr std::u16string_view kDefaultMsnNexus = u"nexus.passport.com";

struct SettingsValues {
  bool icqEnabled = false;
  std::u16string uin;
  std::u16string password;
  bool msnEnabled = false;
  std::u16string msnEmail;
  std::u16string msnPassword;
  std::vector<LoginHost> loginHosts;
  ProxyType icqProxyType = ProxyType::None;
  std::u16string icqProxyHost;
  int32_t icqProxyPort = 0;
  std::u16string icqProxyUser;
  std::u16string icqProxyPassword;
  bool sound = true;
  bool vibro = true;
  int32_t vibroCount = 5;
  bool userOnlineSound = true;
  bool showOffline = false;
  bool showDateTime = true;
  bool showNames = true;
  bool sendingAck = true;
  int32_t codePage = 0;
  bool typingNotifications = true;
  std::u16string smileSource = u"Default.Smilies.xml";
  std::u16string msnSmileSource = u"MSN.Smilies.xml";
  std::u16string skinSource;
  std::u16string iconsSource = u"Default.Icons.xml";
  std::u16string langSource = u"English.Lang.xml";
  std::u16string qsearchSource = u"English.QS.xml";
  std::u16string historyFolder;
  std::u16string outgoingFolder;
  std::u16string incomingFolder;
  bool scrolling = false;
  bool jrightChat = true;
  int32_t icqPingPeriod = 230;
  int32_t msnPingPeriod = 120;
  bool icqSupportCh2 = false;
  bool icqStartupCheckout = true;
  bool icqSupportUnicodeCap = true;
  bool autoConnect = false;
  int32_t icqAutoStatus = 0;
  int32_t msnAutoStatus = 1;
  int32_t delay1 = 2000;
  bool animateSmileList = true;
  // Not among the handset's keys: written only when changed, so a default file keeps its layout.
  std::u16string msnServer = std::u16string(kDefaultMsnServer);  // host:port of the notification server
  std::u16string msnNexus = std::u16string(kDefaultMsnNexus);    // host[:port] of the Passport nexus
  std::u16string msnCaFile;  // PEM file of an authority the Passport servers' certificates may come from
  KeyAction leftSoftKey = KeyAction::QuickSearch;
  std::array<KeyAction, 10> keys = {KeyAction::Quit,      KeyAction::ShowOffline, KeyAction::Sound, KeyAction::Vibro,
                                    KeyAction::Chat,      KeyAction::Info,        KeyAction::Find,  KeyAction::Settings,
                                    KeyAction::Scrolling, KeyAction::QuickSearch};

  bool operator==(const SettingsValues&) const = default;
};

// The seven ICQ login servers used when the file names none.
[[nodiscard]] std::vector<LoginHost> DefaultLoginHosts();

}  // namespace quelt::core
