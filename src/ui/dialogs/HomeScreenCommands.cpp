#include <memory>

#include "core/Application.h"
#include "core/HomeLayout.h"
#include "homeplugin/SchemeSetting.h"
#include "homeplugin/TileRegistration.h"
#include "platform/Folders.h"
#include "platform/Registry.h"
#include "platform/TextCodec.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/RowWizard.h"
#include "ui/shell/ScreenSize.h"

namespace quelt::ui {
namespace {

// The replaced scheme goes once the home screen has surely let go of it.
constexpr uint32_t kDeleteReplacedAfterMs = 2000;
// The home screen's shipped schemes sit beside the program.
std::optional<core::CurrentScheme> ReadCurrent(const core::Application& application, platform::Registry& registry) {
  return core::ReadCurrentScheme(registry, home::ShippedSchemeFolder(application.Environment().programFolder));
}

void ShowError(const core::Application& application, WindowStack& stack, ScreenSize screen, std::string_view text) {
  ShowNotice(application, stack, screen, platform::Utf8ToUtf16(text));
}

// Only what the messenger made itself goes; its name alone does not make a file the messenger's.
void DeleteLater(core::Application& application, const std::filesystem::path& scheme) {
  if (scheme.parent_path() != platform::AppDataFolder() / "Home") return;
  application.PostEventDelayed(kDeleteReplacedAfterMs, core::MakeEvent(core::EventCode::DeleteFileRequest, scheme));
}

void Install(core::Application& application, WindowStack& stack, ScreenSize screen, core::CurrentScheme& current,
             const core::RowSettings& row) {
  std::string previous = current.previousScheme;
  if (previous.empty() && !current.own) previous = current.path.string();
  std::string error;
  const auto made = core::MakeSchemeFile(current, row, previous, platform::AppDataFolder(), error);
  auto registry = platform::Registry::ForUser();
  const bool switched =
      made && home::RegisterStatusTile(registry, application.Environment().programFolder / home::kStatusTileLibrary) &&
      core::SwitchScheme(registry, *made, error);
  if (made && !switched && error.empty()) error = core::kSchemeSwitchFailed;
  if (!switched) {
    ShowError(application, stack, screen, error);
    return;
  }
  // Each setup makes a new file; the messenger's earlier one is no longer in use.
  if (current.own) DeleteLater(application, current.path);
}

}  // namespace

void OpenHomeScreenSetup(core::Application& application, WindowStack& stack, ScreenSize screen) {
  auto registry = platform::Registry::ForUser();
  auto read = ReadCurrent(application, registry);
  if (!read) {
    ShowError(application, stack, screen, core::kSchemeSwitchFailed);
    return;
  }
  const auto current = std::make_shared<core::CurrentScheme>(std::move(*read));
  std::vector<std::u16string> others;
  for (const auto& name : current->otherRows) others.push_back(platform::Utf8ToUtf16(name));
  const core::RowSettings start{
      .position = current->ownPosition >= 0 ? current->ownPosition : static_cast<int>(others.size()),
      .height = current->height,
      .autoHeight = current->autoHeight,
      .showBottomBorder = current->showBottomBorder};
  OpenRowWizard(application, stack, screen, std::move(others), start,
                [&application, &stack, screen, current](const core::RowSettings& row) {
                  Install(application, stack, screen, *current, row);
                });
}

void DeleteHomeScreenScheme(core::Application& application, WindowStack& stack, ScreenSize screen) {
  auto registry = platform::Registry::ForUser();
  const auto current = ReadCurrent(application, registry);
  std::string error;
  if (!current) {
    ShowError(application, stack, screen, core::kSchemeSwitchFailed);
  } else if (!current->own) {
    ShowNotice(application, stack, screen, application.Text("cant_delete_cur_scheme"));
  } else if (current->previousScheme.empty()) {
    ShowNotice(application, stack, screen, application.Text("prev_scheme_name_unknown"));
  } else if (!core::ReadSchemeFile(current->previousScheme)) {
    // Going back to a layout that is gone would leave the messenger's as the only copy, deleted.
    ShowError(application, stack, screen, core::kSchemeSwitchFailed);
  } else if (!core::SwitchScheme(registry, current->previousScheme, error)) {
    ShowError(application, stack, screen, error);
  } else {
    DeleteLater(application, current->path);
  }
}

}  // namespace quelt::ui
