#include "core/ConfigFile.h"

#include <array>
#include <limits>
#include <string>

#include "core/PasswordScrambler.h"
#include "platform/TextCodec.h"

namespace quelt::core {

namespace {

constexpr std::u16string_view kDefaultLoginPort = u"5190";
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The characters Unicode classifies as white space.
bool IsWhiteSpace(char16_t c) {
  return (c >= 0x0009 && c <= 0x000D) || c == 0x0020 || c == 0x0085 || c == 0x00A0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

std::u16string_view Trim(std::u16string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::u16string AsciiUpper(std::u16string_view text) {
  std::u16string upper(text);
  for (char16_t& c : upper) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return upper;
}

bool ParseBool(std::u16string_view value) { return AsciiUpper(value) == u"TRUE"; }

// Base-10 reading in the manner of wcstol with a 32-bit long: optional sign, digits up to the
// first other character, 0 without digits, and the nearest limit on overflow.
int32_t ParseInt(std::u16string_view value) {
  size_t i = 0;
  while (i < value.size() && IsWhiteSpace(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == u'+' || value[i] == u'-')) {
    negative = value[i] == u'-';
    ++i;
  }
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  int64_t magnitude = 0;
  for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
    magnitude = magnitude * 10 + (value[i] - u'0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  if (negative) return static_cast<int32_t>(-magnitude);
  return magnitude >= kLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

std::string ToAnsi(std::u16string_view text) { return platform::EncodeCodePage(text, platform::kAnsiCodePage).bytes; }

std::u16string FromAnsi(std::string_view bytes) {
  return platform::DecodeCodePage(bytes, platform::kAnsiCodePage).text;
}

struct BoolKey {
  std::u16string_view key;
  bool SettingsValues::*field;
};

struct IntKey {
  std::u16string_view key;
  int32_t SettingsValues::*field;
};

struct TextKey {
  std::u16string_view key;
  std::u16string SettingsValues::*field;
};

constexpr std::array kBoolKeys = {
    BoolKey{u"ICQ_ENABLED", &SettingsValues::icqEnabled},
    BoolKey{u"MSN_ENABLED", &SettingsValues::msnEnabled},
    BoolKey{u"SOUND", &SettingsValues::sound},
    BoolKey{u"VIBRO", &SettingsValues::vibro},
    BoolKey{u"USER_ONLINE_SOUND", &SettingsValues::userOnlineSound},
    BoolKey{u"SHOW_OFFLINE", &SettingsValues::showOffline},
    BoolKey{u"SHOW_DT", &SettingsValues::showDateTime},
    BoolKey{u"SHOW_NAMES", &SettingsValues::showNames},
    BoolKey{u"SENDING_ACK", &SettingsValues::sendingAck},
    BoolKey{u"TYPING_NOTIFICATIONS", &SettingsValues::typingNotifications},
    BoolKey{u"SCROLLING", &SettingsValues::scrolling},
    BoolKey{u"JRIGHT_CHAT", &SettingsValues::jrightChat},
    BoolKey{u"ICQ_SUPPORT_CH2", &SettingsValues::icqSupportCh2},
    BoolKey{u"ICQ_STARTUP_CHECKOUT", &SettingsValues::icqStartupCheckout},
    BoolKey{u"ICQ_SUPPORT_UNICODE_CAP", &SettingsValues::icqSupportUnicodeCap},
    BoolKey{u"AUTO_CONNECT", &SettingsValues::autoConnect},
    BoolKey{u"ANIMATE_SMILELIST", &SettingsValues::animateSmileList},
};

constexpr std::array kIntKeys = {
    IntKey{u"ICQ_PROXY_PORT", &SettingsValues::icqProxyPort},
    IntKey{u"VIBRO_COUNT", &SettingsValues::vibroCount},
    IntKey{u"CODE_PAGE", &SettingsValues::codePage},
    IntKey{u"ICQ_PING_PERIOD", &SettingsValues::icqPingPeriod},
    IntKey{u"MSN_PING_PERIOD", &SettingsValues::msnPingPeriod},
    IntKey{u"ICQ_AUTO_STATUS", &SettingsValues::icqAutoStatus},
    IntKey{u"MSN_AUTO_STATUS", &SettingsValues::msnAutoStatus},
    IntKey{u"DELAY1", &SettingsValues::delay1},
};

// Taken even when the value is empty.
constexpr std::array kTextKeys = {
    TextKey{u"UIN", &SettingsValues::uin},
    TextKey{u"MSN_EMAIL", &SettingsValues::msnEmail},
};

// An empty value keeps what the field holds.
constexpr std::array kNonEmptyTextKeys = {
    TextKey{u"ICQ_PROXY_HOST", &SettingsValues::icqProxyHost},
    TextKey{u"ICQ_PROXY_USER", &SettingsValues::icqProxyUser},
    TextKey{u"ICQ_PROXY_PWD", &SettingsValues::icqProxyPassword},
    TextKey{u"SMILE_SOURCE", &SettingsValues::smileSource},
    TextKey{u"MSN_SMILE_SOURCE", &SettingsValues::msnSmileSource},
    TextKey{u"SKIN_SOURCE", &SettingsValues::skinSource},
    TextKey{u"ICONS_SOURCE", &SettingsValues::iconsSource},
    TextKey{u"LANG_SOURCE", &SettingsValues::langSource},
    TextKey{u"QSEARCH_SOURCE", &SettingsValues::qsearchSource},
    TextKey{u"HISTORY_FOLDER", &SettingsValues::historyFolder},
    TextKey{u"OUTGOING_FOLDER", &SettingsValues::outgoingFolder},
    TextKey{u"INCOMING_FOLDER", &SettingsValues::incomingFolder},
    TextKey{u"MSN_SERVER", &SettingsValues::msnServer},
    TextKey{u"MSN_NEXUS", &SettingsValues::msnNexus},
    TextKey{u"MSN_CA_FILE", &SettingsValues::msnCaFile},
};

// The bound key action of LSOFTKEY and KEY0..KEY9, or nullptr for any other key.
KeyAction* KeyBinding(std::u16string_view key, SettingsValues& values) {
  if (key == u"LSOFTKEY") return &values.leftSoftKey;
  if (key.size() == 4 && key.substr(0, 3) == u"KEY" && key[3] >= u'0' && key[3] <= u'9') {
    return &values.keys[static_cast<size_t>(key[3] - u'0')];
  }
  return nullptr;
}

// Applies one line; true when it set ICQ_ENABLED, which the account rules need to know.
bool ApplyLine(std::u16string_view line, SettingsValues& values) {
  const size_t equals = line.find(u'=');
  if (equals == std::u16string_view::npos) return false;
  const std::u16string key = AsciiUpper(Trim(line.substr(0, equals)));
  const std::u16string_view value = Trim(line.substr(equals + 1));

  for (const auto& entry : kBoolKeys) {
    if (key == entry.key) {
      values.*entry.field = ParseBool(value);
      return entry.field == &SettingsValues::icqEnabled;
    }
  }
  for (const auto& entry : kIntKeys) {
    if (key == entry.key) {
      values.*entry.field = ParseInt(value);
      return false;
    }
  }
  for (const auto& entry : kTextKeys) {
    if (key == entry.key) {
      values.*entry.field = value;
      return false;
    }
  }
  for (const auto& entry : kNonEmptyTextKeys) {
    if (key == entry.key) {
      if (!value.empty()) values.*entry.field = value;
      return false;
    }
  }
  if (key == u"PASSWORD") {
    values.password = DecodeIcqPassword(value);
  } else if (key == u"MSN_PASSWORD") {
    values.msnPassword = DecodeMsnPassword(value);
  } else if (key == u"LOGINHOSTS") {
    values.loginHosts = ParseLoginHosts(value);
  } else if (key == u"ICQ_PROXY_TYPE") {
    const std::u16string type = AsciiUpper(value);
    if (type == u"SOCKS5") {
      values.icqProxyType = ProxyType::Socks5;
    } else if (type == u"HTTP") {
      values.icqProxyType = ProxyType::Http;
    }
  } else if (KeyAction* binding = KeyBinding(key, values)) {
    const std::string name = platform::Utf16ToUtf8(value);
    if (const auto action = KeyActionFromName(name)) *binding = *action;
  }
  return false;
}

class ConfigWriter {
 public:
  void Line(std::u16string_view key, std::u16string_view value) {
    text_ += key;
    text_ += u'=';
    text_ += value;
    text_ += u"\r\n";
  }
  void Bool(std::u16string_view key, bool value) { Line(key, value ? u"True" : u"False"); }
  void Int(std::u16string_view key, int32_t value) { Line(key, platform::AsciiToUtf16(std::to_string(value))); }
  void NonEmpty(std::u16string_view key, std::u16string_view value) {
    if (!value.empty()) Line(key, value);
  }
  void Action(std::u16string_view key, KeyAction action) { Line(key, platform::AsciiToUtf16(KeyActionName(action))); }

  [[nodiscard]] std::string Utf8() const { return platform::Utf16ToUtf8(text_); }

 private:
  std::u16string text_;
};

std::u16string_view ProxyTypeName(ProxyType type) {
  switch (type) {
    case ProxyType::Socks5: return u"SOCKS5";
    case ProxyType::Http: return u"HTTP";
    case ProxyType::None: break;
  }
  return u"NONE";
}

// The folder as text, without the separator a folder path may end with.
std::u16string FolderText(const std::filesystem::path& folder) {
  std::string text = folder.string();
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return platform::Utf8ToUtf16(text);
}

}  // namespace

SettingsValues DefaultSettingsValues(const SettingsEnvironment& environment) {
  SettingsValues values;
  values.loginHosts = DefaultLoginHosts();
  values.skinSource = environment.screenWidth <= 200 ? u"Default.Skin.xml" : u"QVGA.Skin.xml";
  values.historyFolder = FolderText(environment.programFolder);
  values.outgoingFolder = FolderText(environment.documentsFolder);
  values.incomingFolder = values.outgoingFolder;
  return values;
}

void ApplyConfigText(std::span<const uint8_t> fileBytes, SettingsValues& values) {
  if (fileBytes.empty()) return;
  std::string_view bytes(reinterpret_cast<const char*>(fileBytes.data()), fileBytes.size());
  // Editors often start a UTF-8 file with a byte-order mark; it is not part of the first key.
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  const std::u16string text = platform::Utf8ToUtf16(bytes);

  bool sawIcqEnabled = false;
  std::u16string_view rest(text);
  while (true) {
    const size_t end = rest.find(u'\n');
    std::u16string_view line = rest.substr(0, end);
    if (end != std::u16string_view::npos && line.ends_with(u'\r')) line.remove_suffix(1);
    sawIcqEnabled = ApplyLine(line, values) || sawIcqEnabled;
    if (end == std::u16string_view::npos) break;
    rest.remove_prefix(end + 1);
  }

  if (!sawIcqEnabled && !values.uin.empty()) values.icqEnabled = true;
  if (values.uin.empty()) values.icqEnabled = false;
  if (values.msnEmail.empty()) values.msnEnabled = false;
}

std::string SerializeConfig(const SettingsValues& values) {
  ConfigWriter out;
  out.Bool(u"ICQ_ENABLED", values.icqEnabled);
  out.Line(u"UIN", values.uin);
  out.Line(u"PASSWORD", EncodePassword(values.password));
  out.Bool(u"MSN_ENABLED", values.msnEnabled);
  out.Line(u"MSN_EMAIL", values.msnEmail);
  out.Line(u"MSN_PASSWORD", EncodePassword(values.msnPassword));
  out.Line(u"LOGINHOSTS", FormatLoginHosts(values.loginHosts));
  out.Line(u"ICQ_PROXY_TYPE", ProxyTypeName(values.icqProxyType));
  out.Line(u"ICQ_PROXY_HOST", values.icqProxyHost);
  out.Int(u"ICQ_PROXY_PORT", values.icqProxyPort);
  out.Line(u"ICQ_PROXY_USER", values.icqProxyUser);
  out.Line(u"ICQ_PROXY_PWD", values.icqProxyPassword);
  out.Bool(u"SOUND", values.sound);
  out.Bool(u"VIBRO", values.vibro);
  out.Int(u"VIBRO_COUNT", values.vibroCount);
  out.Bool(u"USER_ONLINE_SOUND", values.userOnlineSound);
  out.Bool(u"SHOW_OFFLINE", values.showOffline);
  out.Bool(u"SHOW_DT", values.showDateTime);
  out.Bool(u"SHOW_NAMES", values.showNames);
  out.Bool(u"SENDING_ACK", values.sendingAck);
  out.Int(u"CODE_PAGE", values.codePage);
  out.Bool(u"TYPING_NOTIFICATIONS", values.typingNotifications);
  out.Bool(u"SCROLLING", values.scrolling);
  out.Bool(u"JRIGHT_CHAT", values.jrightChat);
  out.Int(u"ICQ_PING_PERIOD", values.icqPingPeriod);
  out.Int(u"MSN_PING_PERIOD", values.msnPingPeriod);
  out.Bool(u"ICQ_SUPPORT_CH2", values.icqSupportCh2);
  out.Bool(u"ICQ_STARTUP_CHECKOUT", values.icqStartupCheckout);
  out.Bool(u"ICQ_SUPPORT_UNICODE_CAP", values.icqSupportUnicodeCap);
  out.Bool(u"AUTO_CONNECT", values.autoConnect);
  out.Int(u"ICQ_AUTO_STATUS", values.icqAutoStatus);
  out.Int(u"MSN_AUTO_STATUS", values.msnAutoStatus);
  out.Int(u"DELAY1", values.delay1);
  out.Bool(u"ANIMATE_SMILELIST", values.animateSmileList);
  out.NonEmpty(u"SMILE_SOURCE", values.smileSource);
  out.NonEmpty(u"MSN_SMILE_SOURCE", values.msnSmileSource);
  out.NonEmpty(u"SKIN_SOURCE", values.skinSource);
  out.NonEmpty(u"ICONS_SOURCE", values.iconsSource);
  out.NonEmpty(u"LANG_SOURCE", values.langSource);
  out.NonEmpty(u"QSEARCH_SOURCE", values.qsearchSource);
  out.NonEmpty(u"HISTORY_FOLDER", values.historyFolder);
  out.NonEmpty(u"OUTGOING_FOLDER", values.outgoingFolder);
  out.NonEmpty(u"INCOMING_FOLDER", values.incomingFolder);
  out.Action(u"LSOFTKEY", values.leftSoftKey);
  for (size_t i = 0; i < values.keys.size(); ++i) {
    const std::u16string key = u"KEY" + std::u16string(1, static_cast<char16_t>(u'0' + i));
    out.Action(key, values.keys[i]);
  }
  if (values.msnServer != kDefaultMsnServer) out.Line(u"MSN_SERVER", values.msnServer);
  if (values.msnNexus != kDefaultMsnNexus) out.Line(u"MSN_NEXUS", values.msnNexus);
  out.NonEmpty(u"MSN_CA_FILE", values.msnCaFile);
  return out.Utf8();
}

std::vector<LoginHost> ParseLoginHosts(std::u16string_view value) {
  std::vector<LoginHost> hosts;
  while (true) {
    const size_t comma = value.find(u',');
    // Spaces around entries, hosts and ports are what a person editing the list by hand adds.
    const std::u16string_view entry = Trim(value.substr(0, comma));
    if (!entry.empty()) {
      const size_t colon = entry.find(u':');
      const std::u16string_view host = Trim(entry.substr(0, colon));
      const std::u16string_view port =
          colon == std::u16string_view::npos ? kDefaultLoginPort : Trim(entry.substr(colon + 1));
      hosts.push_back(LoginHost{ToAnsi(host), ToAnsi(port)});
    }
    if (comma == std::u16string_view::npos) break;
    value.remove_prefix(comma + 1);
  }
  return hosts;
}

std::u16string FormatLoginHosts(const std::vector<LoginHost>& hosts) {
  std::u16string text;
  for (size_t i = 0; i < hosts.size(); ++i) {
    if (i > 0) text += u',';
    text += FromAnsi(hosts[i].host);
    text += u':';
    text += FromAnsi(hosts[i].port);
  }
  return text;
}

}  // namespace quelt::core
