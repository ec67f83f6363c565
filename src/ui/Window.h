#pragma once

#include <optional>

#include "platform/screen/Input.h"

namespace quelt::platform {
class Surface;
}

namespace quelt::ui {

// A full-screen page of the handset's user interface. Windows paint into the surface they are
// given, so a test can paint and drive them without a display. Main thread only.
class Window {
 public:
  virtual ~Window() = default;
  virtual void Paint(platform::Surface& surface) = 0;
  // True when the window used the key.
  virtual bool OnKey(platform::Key key) = 0;
  // The key a mouse click at (x, y) stands for, if any (the soft keys, say).
  [[nodiscard]] virtual std::optional<platform::Key> KeyForClick(int /*x*/, int /*y*/) const { return std::nullopt; }
  // The user closed the desktop window or the process was asked to end.
  virtual void OnCloseRequest() = 0;
};

}  // namespace quelt::ui
