#include "ui/dialogs/RowWizard.h"

#include <algorithm>
#include <memory>

#include "core/Application.h"
#include "platform/TextCodec.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/CheckBox.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/ListBox.h"
#include "ui/toolkit/TextField.h"

namespace quelt::ui {
namespace {

constexpr size_t kHeightDigits = 3;

struct Wizard {
  core::Application& application;
  WindowStack& stack;
  ScreenSize screen;
  std::vector<std::u16string> otherRows;
  core::RowSettings values;
  std::function<void(const core::RowSettings&)> done;
};

void OpenLook(const std::shared_ptr<Wizard>& wizard);

// A height the home screen can use: 1 to 3 digits.
bool ValidHeight(const std::u16string& text) {
  return !text.empty() && text.size() <= kHeightDigits &&
         std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

void OpenPlace(const std::shared_ptr<Wizard>& wizard) {
  auto& app = wizard->application;
  // The row goes before the one chosen; the last item puts it after all of them.
  std::vector<std::u16string> places = wizard->otherRows;
  places.emplace_back(u"\u2014");
  const size_t chosen = std::min<size_t>(std::max(wizard->values.position, 0), places.size() - 1);
  auto place = std::make_shared<ListBox>(app.Text("plugin_location"), places, chosen, 4);
  FormWindow::Open(wizard->stack, wizard->screen.width, wizard->screen.height, DialogStyleOf(app),
                   {.title = app.Text("home_screen_setup"),
                    .menuLabel = app.Text("cancel"),
                    .okLabel = app.Text("next"),
                    .ok =
                        [wizard, place](FormWindow& window) {
                          wizard->values.position = static_cast<int>(place->Chosen());
                          window.Close();
                          OpenLook(wizard);
                        },
                    .left = [](FormWindow& window) { window.Cancel(); }},
                   {place});
}

void OpenLook(const std::shared_ptr<Wizard>& wizard) {
  auto& app = wizard->application;
  const auto& values = wizard->values;
  auto height = std::make_shared<TextField>(app.Text("height"), platform::Utf8ToUtf16(values.height),
                                            TextField::Options{.password = false, .maxLength = kHeightDigits});
  auto autoHide = std::make_shared<CheckBox>(app.Text("auto_hide"), values.autoHeight);
  // show-b-border: 0 leaves the rule to the scheme's format, 1 forces it, 2 suppresses it.
  auto rule = std::make_shared<ChoiceBox>(
      app.Text("b_border"), std::vector<std::u16string>{app.Text("default"), app.Text("on"), app.Text("off")},
      // Values other than 1 and 2 leave the rule to the format, as 0 does.
      values.showBottomBorder == 1 || values.showBottomBorder == 2 ? size_t(values.showBottomBorder) : size_t{0});
  const auto keep = [wizard, height, autoHide, rule] {
    wizard->values.height = platform::Utf16ToUtf8(height->Text());
    wizard->values.autoHeight = autoHide->Checked();
    wizard->values.showBottomBorder = static_cast<int>(rule->Chosen());
  };
  FormWindow::Open(wizard->stack, wizard->screen.width, wizard->screen.height, DialogStyleOf(app),
                   {.title = app.Text("plugin_setup"),
                    .menuLabel = app.Text("previous"),
                    .okLabel = app.Text("done"),
                    .ok =
                        [wizard, height, keep](FormWindow& window) {
                          if (!ValidHeight(height->Text())) {
                            ShowNotice(wizard->application, wizard->stack, wizard->screen,
                                       wizard->application.Text("height") + u": " + height->Text());
                            return;
                          }
                          keep();
                          window.Close();
                          wizard->done(wizard->values);
                        },
                    .left =
                        [wizard, keep](FormWindow& window) {
                          keep();
                          window.Close();
                          OpenPlace(wizard);
                        }},
                   {height, autoHide, rule});
}

}  // namespace

void OpenRowWizard(core::Application& application, WindowStack& stack, ScreenSize screen,
                   std::vector<std::u16string> otherRows, core::RowSettings start,
                   std::function<void(const core::RowSettings&)> done) {
  OpenPlace(std::make_shared<Wizard>(Wizard{.application = application,
                                            .stack = stack,
                                            .screen = screen,
                                            .otherRows = std::move(otherRows),
                                            .values = std::move(start),
                                            .done = std::move(done)}));
}

}  // namespace quelt::ui
