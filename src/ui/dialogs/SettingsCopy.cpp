#include "ui/dialogs/SettingsCopy.h"

#include "core/AppEvent.h"
#include "core/Application.h"
#include "platform/Log.h"

namespace quelt::ui {

std::shared_ptr<core::Settings> SaveChangedCopy(core::Application& application,
                                                const std::function<void(core::SettingsValues&)>& change) {
  auto copy = application.GetSettings()->Clone();
  copy->Update(change);
  if (!copy->Save()) platform::Log("could not save the settings");
  application.PostEvent(core::MakeEvent(core::EventCode::SettingsChanged, copy));
  return copy;
}

}  // namespace quelt::ui
