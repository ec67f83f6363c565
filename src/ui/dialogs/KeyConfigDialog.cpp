#include <memory>

#include "core/Application.h"
#include "core/KeyAction.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/SettingsCopy.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/TextField.h"

namespace quelt::ui {

void OpenKeyConfigDialog(core::Application& application, WindowStack& stack, ScreenSize screen) {
  const core::SettingsValues values = application.GetSettings()->Values();
  std::vector<std::u16string> actions;
  for (int action = 0; action < core::kKeyActionCount; ++action) {
    actions.push_back(application.Text(core::KeyActionLanguageKey(core::KeyAction(action))));
  }
  // The left soft key first, then the keys 0 to 9.
  std::vector<std::shared_ptr<ChoiceBox>> choices;
  choices.push_back(std::make_shared<ChoiceBox>(application.Text("left_key"), actions, size_t(values.leftSoftKey)));
  for (size_t key = 0; key < values.keys.size(); ++key) {
    choices.push_back(std::make_shared<ChoiceBox>(application.Text("key_n") + u" " + char16_t(u'0' + key), actions,
                                                  size_t(values.keys[key])));
  }
  FormWindow::Open(stack, screen.width, screen.height, DialogStyleOf(application),
                           {.title = application.Text("toolbar"),
                            .okLabel = application.Text("ok"),
                            .ok =
                                [&application, choices](FormWindow& window) {
                                  SaveChangedCopy(application, [&choices](core::SettingsValues& changed) {
                                    changed.leftSoftKey = core::KeyAction(choices[0]->Chosen());
                                    for (size_t key = 0; key < changed.keys.size(); ++key) {
                                      changed.keys[key] = core::KeyAction(choices[key + 1]->Chosen());
                                    }
                                  });
                                  window.Close();
                                }},
                           {choices.begin(), choices.end()});
}

}  // namespace quelt::ui
