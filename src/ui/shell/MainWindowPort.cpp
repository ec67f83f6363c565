#include "ui/shell/MainWindowPort.h"

#include "core/Application.h"
#include "platform/screen/Display.h"

namespace quelt::ui {

void MainWindowPort::Attach(platform::Display* display, core::Application* application) {
  std::lock_guard lock(mutex_);
  display_ = display;
  application_ = application;
  if (display_ != nullptr && activationPending_) display_->PostActivate();
  activationPending_ = false;
}

void MainWindowPort::Detach() { Attach(nullptr, nullptr); }

uint32_t MainWindowPort::Handle(const platform::PortMessage& message) {
  std::lock_guard lock(mutex_);
  switch (message.kind) {
    case platform::PortMessageKind::Activate:
      if (display_ != nullptr) {
        display_->PostActivate();
      } else {
        activationPending_ = true;  // raised as soon as the window exists
      }
      return 1;
    case platform::PortMessageKind::CopyData:
      if (message.tag != kStateRequestTag || application_ == nullptr) return 0;
      // Refreshing the view sends the plugin a new state block.
      application_->PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
      return 1;
  }
  return 0;
}

}  // namespace quelt::ui
