#include <filesystem>
#include <memory>

#include "core/AppEvent.h"
#include "core/Application.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/dialogs/SettingsCopy.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/FolderChooser.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/TextField.h"

namespace quelt::ui {

namespace {

constexpr size_t kPathLength = 4096;
enum Command { kSelectFolder = 1, kCancel };

// The sessions keep their caches in the history folder: they are made anew there, and those
// that were signed in sign in again.
void MoveSessions(core::Application& application, const core::SettingsValues& values) {
  const struct {
    std::shared_ptr<core::ProtocolSession> session;
    core::EventCode changed, status;
    int32_t autoStatus;
  } services[] = {
      {application.IcqSession(), core::EventCode::IcqAccountChanged, core::EventCode::SetIcqStatus,
       values.icqAutoStatus},
      {application.MsnSession(), core::EventCode::MsnAccountChanged, core::EventCode::SetMsnStatus,
       values.msnAutoStatus},
  };
  for (const auto& service : services) {
    if (!service.session) continue;
    const bool online = service.session->Presence() != -1;
    application.PostEvent(core::MakeEvent(service.changed));
    if (online)
      application.PostEvent(core::MakeEvent(service.status, core::StatusPayload{.status = service.autoStatus}));
  }
}

}  // namespace

void OpenFoldersDialog(core::Application& application, WindowStack& stack, ScreenSize screen) {
  const core::SettingsValues values = application.GetSettings()->Values();
  const auto field = [&application](const char* label, const std::u16string& path) {
    return std::make_shared<TextField>(application.Text(label), path, TextField::Options{.maxLength = kPathLength});
  };
  std::vector<std::shared_ptr<TextField>> fields = {field("history_folder", values.historyFolder),
                                                    field("outgoing_folder", values.outgoingFolder),
                                                    field("incoming_folder", values.incomingFolder)};
  const auto text = [&application](const char* key) { return application.Text(key); };
  FormWindow::Open(
      stack, screen.width, screen.height, DialogStyleOf(application),
      {.title = text("folders"),
       .menuLabel = text("menu"),
       .okLabel = text("ok"),
       .menu =
           [text] {
             return std::vector<MenuItem>{{.label = text("select_folder"), .command = kSelectFolder},
                                          {.label = text("cancel"), .command = kCancel}};
           },
       .command =
           [&application, &stack, screen, fields, text](FormWindow& window, int command) {
             if (command == kCancel) return window.Cancel();
             const auto target = fields[std::min(window.Focus(), fields.size() - 1)];
             std::weak_ptr<FormWindow> weak = window.weak_from_this();
             FolderChooser::Open(stack, screen.width, screen.height, DialogStyleOf(application),
                                 {.take = text("ok"), .cancel = text("cancel")}, std::filesystem::path(target->Text()),
                                 [target, weak](const std::filesystem::path& chosen) {
                                   target->SetText(chosen.u16string());
                                   if (const auto dialog = weak.lock()) dialog->Invalidate();
                                 });
           },
       .ok =
           [&application, &stack, screen, fields](FormWindow& window) {
             for (const auto& entry : fields) {
               std::error_code error;
               if (!std::filesystem::is_directory(std::filesystem::path(entry->Text()), error)) {
                 ShowNotice(application, stack, screen, u"There is no folder " + entry->Text() + u".");
                 return;
               }
             }
             const auto old = application.GetSettings()->Values();
             const auto copy = SaveChangedCopy(application, [&fields](core::SettingsValues& changed) {
               changed.historyFolder = fields[0]->Text();
               changed.outgoingFolder = fields[1]->Text();
               changed.incomingFolder = fields[2]->Text();
             });
             if (copy->Values().historyFolder != old.historyFolder) MoveSessions(application, copy->Values());
             window.Close();
           }},
      {fields.begin(), fields.end()});
}

}  // namespace quelt::ui
