#include <algorithm>
#include <filesystem>
#include <memory>

#include "core/Application.h"
#include "platform/CaseMapping.h"
#include "resources/LanguageTable.h"
#include "resources/QuickSearchMap.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/SettingsCopy.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/ListBox.h"

namespace quelt::ui {

namespace {

struct Choice {
  std::u16string name;  // shown
  std::u16string file;  // stored
};

// Every "*.xml" of the folder that reads as a file of its kind, by its name, sorted.
template <typename Table>
std::vector<Choice> FilesIn(const std::filesystem::path& folder) {
  std::vector<Choice> choices;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    const auto file = entry.path().filename().u16string();
    if (!entry.is_regular_file(error) || !platform::EqualsIgnoringCase(entry.path().extension().u16string(), u".xml")) {
      continue;
    }
    Table table;
    if (!table.Load(folder, file)) continue;
    choices.push_back({table.Name().empty() ? file : table.Name(), file});
  }
  std::sort(choices.begin(), choices.end(), [](const Choice& a, const Choice& b) { return a.name < b.name; });
  return choices;
}

struct Language {
  resources::LanguageTable table;
  bool Load(const std::filesystem::path& folder, const std::u16string& file) {
    return table.LoadLanguage(folder, file);
  }
  [[nodiscard]] std::u16string Name() const { return table.Name(); }
};
struct Keypad {
  resources::QuickSearchMap map;
  bool Load(const std::filesystem::path& folder, const std::u16string& file) { return map.LoadKeypadMap(folder, file); }
  [[nodiscard]] std::u16string Name() const { return map.Name(); }
};

std::shared_ptr<ListBox> Box(std::u16string label, const std::vector<Choice>& choices, const std::u16string& current) {
  std::vector<std::u16string> names;
  size_t chosen = 0;
  for (const Choice& choice : choices) {
    if (platform::EqualsIgnoringCase(choice.file, current)) chosen = names.size();
    names.push_back(choice.name);
  }
  return std::make_shared<ListBox>(std::move(label), std::move(names), chosen);
}

}  // namespace

void OpenLanguageDialog(core::Application& application, WindowStack& stack, ScreenSize screen) {
  const core::SettingsValues values = application.GetSettings()->Values();
  const auto& folder = application.Environment().programFolder;
  const auto languages = FilesIn<Language>(folder / "Language");
  const auto keypads = FilesIn<Keypad>(folder / "QSearch");
  auto language = Box(application.Text("ui_language"), languages, values.langSource);
  auto keypad = Box(application.Text("qs_language"), keypads, values.qsearchSource);
  FormWindow::Open(stack, screen.width, screen.height, DialogStyleOf(application),
                           {.title = application.Text("language"),
                            .okLabel = application.Text("ok"),
                            .ok =
                                [&application, languages, keypads, language, keypad](FormWindow& window) {
                                  const auto copy = SaveChangedCopy(application, [&](core::SettingsValues& changed) {
                                    if (!languages.empty()) changed.langSource = languages[language->Chosen()].file;
                                    if (!keypads.empty()) changed.qsearchSource = keypads[keypad->Chosen()].file;
                                  });
                                  // The windows take the new texts as they next paint and open their menus.
                                  if (const auto& texts = application.Services().language) {
                                    const auto now = copy->Values();
                                    const auto& programFolder = application.Environment().programFolder;
                                    texts->LoadLanguage(programFolder / "Language", now.langSource);
                                    texts->LoadKeypadMap(programFolder / "QSearch", now.qsearchSource);
                                  }
                                  window.Close();
                                }},
                           {language, keypad});
}

}  // namespace quelt::ui
