#pragma once

#include <cstdint>
#include <mutex>

#include "platform/Port.h"

namespace quelt::core {
class Application;
}
namespace quelt::platform {
class Display;
}

namespace quelt::ui {

// Answers what other processes send to the main window: a copy started later asks it to come to
// the front, and the home-screen plugin asks for a fresh state block. The port is claimed before
// the display and the application exist, so both are attached once they do. Handle runs on the
// port's thread; Attach and Detach on the main thread.
class MainWindowPort {
 public:
  static constexpr uint32_t kStateRequestTag = 0;

  void Attach(platform::Display* display, core::Application* application);
  void Detach();

  uint32_t Handle(const platform::PortMessage& message);

 private:
  std::mutex mutex_;
  platform::Display* display_ = nullptr;
  core::Application* application_ = nullptr;
  bool activationPending_ = false;
};

}  // namespace quelt::ui
