#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/screen/Input.h"

namespace quelt::platform {
class Surface;
}

namespace quelt::ui {

class Painter;
class WindowStack;

// A page of the handset's user interface: a full-screen window, or an overlay (a menu, a message
// box) drawn over the windows beneath, which go on changing and painting. A window paints only
// when it asked to, into a surface it is given, so tests paint and drive windows without a
// display. Main thread only.
class Window {
 public:
  Window();
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Paints the whole window; an overlay paints only its own part, over what lies beneath.
  virtual void Paint(Painter& painter) = 0;
  // True when the window used the key. Back reaches a window like any key; one that does not
  // take it leaves Back to its ordinary meaning.
  virtual bool OnKey(platform::Key key) = 0;
  // Typed text (keys that stand for characters come as these too); true when the window used it.
  virtual bool OnText(std::u16string_view /*text*/) { return false; }
  // The key a mouse click at (x, y) stands for, if any (the soft keys, say).
  [[nodiscard]] virtual std::optional<platform::Key> KeyForClick(int /*x*/, int /*y*/) const { return std::nullopt; }
  // A mouse click at (x, y); by default the key it stands for.
  virtual void OnClick(int x, int y);
  // The user closed the desktop window, or the process was asked to end.
  virtual void OnCloseRequest() {}
  [[nodiscard]] virtual bool IsOverlay() const { return false; }

  // Asks for the window to be painted again at the next frame; cheap, and coalesced.
  void Invalidate();

 private:
  friend class WindowStack;
  std::function<void(const Window&)> onInvalidate_;  // set by the stack that shows it
  bool dirty_ = true;
  std::unique_ptr<platform::Surface> cache_;  // a full-screen window's last painting
};

}  // namespace quelt::ui
