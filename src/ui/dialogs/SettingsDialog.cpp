#include <array>
#include <memory>

#include "core/AppEvent.h"
#include "core/Application.h"
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

constexpr size_t kCodePageLength = 30;
enum Command { kFullMode = 1, kEconomyMode, kAdvanced, kCancel };

// The check boxes in their order on the form, each with its setting.
struct Tick {
  const char* label;
  bool SettingsValues::*value;
};
constexpr Tick kBefore[] = {{"show_offline_contacts", &SettingsValues::showOffline},
                            {"new_message_sound", &SettingsValues::sound},
                            {"vibration", &SettingsValues::vibro}};
constexpr Tick kAfter[] = {{"date_time_in_chat", &SettingsValues::showDateTime},
                           {"names_in_chat", &SettingsValues::showNames},
                           {"request_delivery_ack", &SettingsValues::sendingAck},
                           {"typing_notifications", &SettingsValues::typingNotifications},
                           {"cyclic_scrolling", &SettingsValues::scrolling},
                           {"joystick_right_opens_chat", &SettingsValues::jrightChat},
                           {"auto_connect", &SettingsValues::autoConnect},
                           {"smilelist_animation", &SettingsValues::animateSmileList}};

struct Advanced {
  bool supportCh2 = false, startupCheckout = false, unicodeCapability = false;
};

struct SettingsForm {
  core::Application& application;
  WindowStack& stack;
  ScreenSize screen;
  std::vector<std::shared_ptr<CheckBox>> before, after;
  std::shared_ptr<ChoiceBox> vibroCount;
  std::shared_ptr<TextField> codePage;
  Advanced advanced;

  std::shared_ptr<CheckBox> Box(const char* label) {
    for (size_t i = 0; i < std::size(kAfter); ++i) {
      if (std::string_view(kAfter[i].label) == label) return after[i];
    }
    return nullptr;
  }

  void Mode(bool full) {
    Box("request_delivery_ack")->SetChecked(full);
    Box("typing_notifications")->SetChecked(full);
    advanced = {full, full, full};
  }

  void Apply(FormWindow& window) {
    const SettingsValues old = application.GetSettings()->Values();
    const auto copy = SaveChangedCopy(application, [this](SettingsValues& values) {
      for (size_t i = 0; i < before.size(); ++i) values.*kBefore[i].value = before[i]->Checked();
      for (size_t i = 0; i < after.size(); ++i) values.*kAfter[i].value = after[i]->Checked();
      values.vibroCount = int32_t(vibroCount->Chosen()) + 1;
      const auto text = std::u16string_view(codePage->Text()).substr(0, kCodePageLength);
      values.codePage = platform::ParseDecimal<int32_t>(text).value_or(0);
      values.icqSupportCh2 = advanced.supportCh2;
      values.icqStartupCheckout = advanced.startupCheckout;
      values.icqSupportUnicodeCap = advanced.unicodeCapability;
    });
    const SettingsValues now = copy->Values();
    window.Close();
    if (now.typingNotifications != old.typingNotifications || now.icqStartupCheckout != old.icqStartupCheckout) {
      ShowNotice(application, stack, screen, application.Text("need_reconnect"), u"Information");
    }
  }
};

void OpenAdvancedDialog(const std::shared_ptr<SettingsForm>& settings) {
  core::Application& application = settings->application;
  const Advanced& values = settings->advanced;
  auto noChannel2 = std::make_shared<CheckBox>(application.Text("disable_ch2_icq_messages"), !values.supportCh2);
  auto checkout =
      std::make_shared<CheckBox>(application.Text("always_refresh_icq_contact_list"), values.startupCheckout);
  auto unicode = std::make_shared<CheckBox>(u"Enable UNICODE support", values.unicodeCapability);
  FormWindow::Open(settings->stack, settings->screen.width, settings->screen.height, DialogStyleOf(application),
                       {.title = application.Text("advanced_settings"),
                        .okLabel = application.Text("ok"),
                        .ok =
                            [settings, noChannel2, checkout, unicode](FormWindow& window) {
                              settings->advanced = {!noChannel2->Checked(), checkout->Checked(), unicode->Checked()};
                              window.Close();
                            }},
                       {noChannel2, checkout, unicode});
}

}  // namespace

void OpenSettingsDialog(core::Application& application, WindowStack& stack, ScreenSize screen) {
  const SettingsValues values = application.GetSettings()->Values();
  auto settings =
      std::make_shared<SettingsForm>(SettingsForm{.application = application, .stack = stack, .screen = screen});
  std::vector<std::shared_ptr<FormControl>> controls;
  for (const Tick& tick : kBefore) {
    settings->before.push_back(std::make_shared<CheckBox>(application.Text(tick.label), values.*tick.value));
    controls.push_back(settings->before.back());
  }
  std::vector<std::u16string> counts;
  for (char16_t digit = u'1'; digit <= u'5'; ++digit) counts.emplace_back(1, digit);
  settings->vibroCount = std::make_shared<ChoiceBox>(u"", counts, size_t(std::clamp(values.vibroCount, 1, 5) - 1));
  controls.push_back(settings->vibroCount);
  settings->codePage =
      std::make_shared<TextField>(application.Text("codepage"), platform::AsciiToUtf16(std::to_string(values.codePage)),
                                  TextField::Options{.maxLength = kCodePageLength});
  controls.push_back(settings->codePage);
  controls.push_back(std::make_shared<FormNote>(application.Text("default_0")));
  for (const Tick& tick : kAfter) {
    settings->after.push_back(std::make_shared<CheckBox>(application.Text(tick.label), values.*tick.value));
    controls.push_back(settings->after.back());
  }
  settings->advanced = {values.icqSupportCh2, values.icqStartupCheckout, values.icqSupportUnicodeCap};

  const auto text = [&application](const char* key) { return application.Text(key); };
  FormWindow::Open(stack, screen.width, screen.height, DialogStyleOf(application),
                       {.title = text("settings"),
                        .menuLabel = text("menu"),
                        .okLabel = text("ok"),
                        .menu =
                            [text] {
                              return std::vector<MenuItem>{{.label = text("full_mode"), .command = kFullMode},
                                                           {.label = text("economy_mode"), .command = kEconomyMode},
                                                           MenuItem::Separator(),
                                                           {.label = text("advanced"), .command = kAdvanced},
                                                           {.label = text("cancel"), .command = kCancel}};
                            },
                        .command =
                            [settings](FormWindow& window, int command) {
                              if (command == kFullMode || command == kEconomyMode) settings->Mode(command == kFullMode);
                              if (command == kAdvanced) OpenAdvancedDialog(settings);
                              if (command == kCancel) return window.Cancel();
                              window.Invalidate();
                            },
                        .ok = [settings](FormWindow& window) { settings->Apply(window); }},
                       std::move(controls));
}

}  // namespace quelt::ui
