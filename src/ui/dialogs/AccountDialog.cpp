#include <memory>

#include "core/AppEvent.h"
#include "core/Application.h"
#include "core/ConfigFile.h"
#include "platform/Log.h"
#include "platform/TextCodec.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/SettingsCopy.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/CheckBox.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/TextField.h"

namespace quelt::ui {

namespace {

using core::SettingsValues;

constexpr size_t kFieldLength = 60;
enum Command { kNetworkSetup = 1, kCancel };

// What the network set-up edits; kept by the account dialog until its OK.
struct Network {
  std::vector<core::LoginHost> loginHosts;
  core::ProxyType proxyType = core::ProxyType::None;
  std::u16string proxyHost, proxyUser, proxyPassword;
  int32_t proxyPort = 0;
  bool operator==(const Network&) const = default;
};

Network NetworkOf(const SettingsValues& values) {
  return {values.loginHosts,   values.icqProxyType,     values.icqProxyHost,
          values.icqProxyUser, values.icqProxyPassword, values.icqProxyPort};
}

bool ValidPort(std::string_view port) {
  const auto number = platform::ParseDecimal<int32_t>(platform::AsciiToUtf16(port));
  return number && *number >= 1 && *number <= 65535;
}

// The hosts of the list as typed, or none when an entry has no host or no sound port.
std::optional<std::vector<core::LoginHost>> ReadHostList(std::u16string_view text) {
  auto hosts = core::ParseLoginHosts(text);
  if (hosts.empty()) return std::nullopt;
  for (const auto& host : hosts) {
    if (host.host.empty() || !ValidPort(host.port)) return std::nullopt;
  }
  return hosts;
}

std::shared_ptr<TextField> Field(std::u16string label, std::u16string_view text, bool password = false,
                                 std::optional<size_t> maxLength = kFieldLength) {
  return std::make_shared<TextField>(std::move(label), text,
                                     TextField::Options{.password = password, .maxLength = maxLength});
}

struct AccountForm {
  core::Application& application;
  WindowStack& stack;
  ScreenSize screen;
  std::shared_ptr<CheckBox> icq, msn;
  std::shared_ptr<TextField> uin, password, email, msnPassword;
  Network network;

  void Wipe() {
    password->Wipe();
    msnPassword->Wipe();
    std::fill(network.proxyPassword.begin(), network.proxyPassword.end(), u'\0');
  }

  void Apply(FormWindow& window) {
    const auto current = application.GetSettings();
    const SettingsValues old = current->Values();
    SettingsValues wanted = old;
    wanted.icqEnabled = icq->Checked();
    wanted.uin = uin->Text();
    wanted.password = password->Text();
    wanted.msnEnabled = msn->Checked();
    wanted.msnEmail = email->Text();
    wanted.msnPassword = msnPassword->Text();
    wanted.loginHosts = network.loginHosts;
    wanted.icqProxyType = network.proxyType;
    wanted.icqProxyHost = network.proxyHost;
    wanted.icqProxyPort = network.proxyPort;
    wanted.icqProxyUser = network.proxyUser;
    wanted.icqProxyPassword = network.proxyPassword;
    const bool icqChanged = wanted.icqEnabled != old.icqEnabled || wanted.uin != old.uin ||
                            wanted.password != old.password || !(NetworkOf(wanted) == NetworkOf(old));
    const bool msnChanged =
        wanted.msnEnabled != old.msnEnabled || wanted.msnEmail != old.msnEmail || wanted.msnPassword != old.msnPassword;
    if (icqChanged || msnChanged) {
      SaveChangedCopy(application, [&wanted](SettingsValues& values) { values = wanted; });
      // The new sessions sign in at once with the presence the program starts with.
      if (icqChanged) {
        application.PostEvent(core::MakeEvent(core::EventCode::IcqAccountChanged));
        if (wanted.icqEnabled) {
          application.PostEvent(
              core::MakeEvent(core::EventCode::SetIcqStatus, core::StatusPayload{.status = wanted.icqAutoStatus}));
        }
      }
      if (msnChanged) {
        application.PostEvent(core::MakeEvent(core::EventCode::MsnAccountChanged));
        if (wanted.msnEnabled) {
          application.PostEvent(
              core::MakeEvent(core::EventCode::SetMsnStatus, core::StatusPayload{.status = wanted.msnAutoStatus}));
        }
      }
    }
    std::fill(wanted.password.begin(), wanted.password.end(), u'\0');
    std::fill(wanted.msnPassword.begin(), wanted.msnPassword.end(), u'\0');
    Wipe();
    window.Close();
  }
};

void Refuse(AccountForm& account, std::u16string text) {
  ShowNotice(account.application, account.stack, account.screen, std::move(text));
}

void OpenNetworkSetup(const std::shared_ptr<AccountForm>& account) {
  const Network& network = account->network;
  // The list of every default server is longer than an account field.
  auto hosts = Field(u"ICQ host list", core::FormatLoginHosts(network.loginHosts), false, std::nullopt);
  auto type = std::make_shared<ChoiceBox>(u"Proxy type", std::vector<std::u16string>{u"None", u"SOCKS5", u"HTTP"},
                                          size_t(network.proxyType));
  auto host = Field(u"Proxy host", network.proxyHost);
  auto port =
      Field(u"Proxy port", network.proxyPort == 0 ? u"" : platform::AsciiToUtf16(std::to_string(network.proxyPort)));
  auto user = Field(u"Proxy user", network.proxyUser);
  auto password = Field(u"Proxy pwd", network.proxyPassword, true);
  core::Application& application = account->application;
  FormWindow::Open(
      account->stack, account->screen.width, account->screen.height, DialogStyleOf(application),
      {.title = u"ICQ Network Setup",
       .okLabel = application.Text("ok"),
       .ok =
           [account, hosts, type, host, port, user, password](FormWindow& window) {
             const auto list = ReadHostList(hosts->Text());
             if (!list) {
               return Refuse(*account,
                             u"The ICQ host list cannot be read. Write host:port entries (port 1 to 65535) "
                             u"separated by commas.");
             }
             const auto portNumber = platform::ParseDecimal<int32_t>(port->Text());
             if (!port->Text().empty() && (!portNumber || *portNumber < 1 || *portNumber > 65535)) {
               return Refuse(*account, u"The proxy port must be a number from 1 to 65535.");
             }
             account->network = {*list,
                                 core::ProxyType(type->Chosen()),
                                 host->Text(),
                                 user->Text(),
                                 password->Text(),
                                 portNumber.value_or(0)};
             password->Wipe();
             window.Close();
           },
       .cancelled = [password] { password->Wipe(); }},
      {hosts, type, host, port, user, password});
}

}  // namespace

void OpenAccountDialog(core::Application& application, WindowStack& stack, ScreenSize screen) {
  SettingsValues values = application.GetSettings()->Values();
  auto account =
      std::make_shared<AccountForm>(AccountForm{.application = application, .stack = stack, .screen = screen});
  account->icq = std::make_shared<CheckBox>(u"ICQ", values.icqEnabled);
  account->uin = Field(application.Text("account"), values.uin);
  account->password = Field(application.Text("password"), values.password, true);
  account->msn = std::make_shared<CheckBox>(u"MSN", values.msnEnabled);
  account->email = Field(application.Text("account"), values.msnEmail);
  account->msnPassword = Field(application.Text("password"), values.msnPassword, true);
  account->network = NetworkOf(values);
  std::fill(values.password.begin(), values.password.end(), u'\0');
  std::fill(values.msnPassword.begin(), values.msnPassword.end(), u'\0');

  const auto text = [&application](const char* key) { return application.Text(key); };
  FormWindow::Open(
      stack, screen.width, screen.height, DialogStyleOf(application),
      {.title = text("accounts_network"),
       .menuLabel = text("menu"),
       .okLabel = text("ok"),
       .menu =
           [text] {
             return std::vector<MenuItem>{{.label = u"ICQ Network Setup", .command = kNetworkSetup},
                                          {.label = text("cancel"), .command = kCancel}};
           },
       .command =
           [account](FormWindow& window, int command) {
             if (command == kNetworkSetup) OpenNetworkSetup(account);
             if (command == kCancel) window.Cancel();
           },
       .ok = [account](FormWindow& window) { account->Apply(window); },
       .cancelled = [account] { account->Wipe(); }},
      {account->icq, account->uin, account->password, account->msn, account->email, account->msnPassword});
}

}  // namespace quelt::ui
