#pragma once

#include <memory>
#include <string_view>

#include "platform/Port.h"

namespace quelt::core {

inline constexpr std::string_view kMainWindowClass = "D357587E-9665-4975-A100-617D72FDF5D3";
inline constexpr std::u16string_view kMainWindowTitle = u"Quelt Messenger";

struct InstanceClaim {
  // Present when this process is the one copy that runs: the main window's port, answered by
  // the handler given to ClaimSingleInstance.
  std::unique_ptr<platform::PortListener> port;
  // True when another copy answered and has been asked to come to the front.
  bool anotherIsRunning = false;
};

// Either brings the copy that already runs to the front, or takes the window class's port for
// this process. When the port can be neither reached nor taken (an unusable runtime folder),
// neither is set and the program runs without single-instance protection.
[[nodiscard]] InstanceClaim ClaimSingleInstance(std::string_view windowClass, platform::PortListener::Handler handler);

}  // namespace quelt::core
