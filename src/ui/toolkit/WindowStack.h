#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/screen/Input.h"
#include "ui/toolkit/TextCache.h"

namespace quelt::platform {
class Surface;
}

namespace quelt::ui {

class Window;

// The windows on the screen, the newest on top: the top window gets the keys; the screen shows
// the highest full-screen window with the overlays above it. Each full-screen window keeps its
// last painting, so a frame repaints only what asked to be, and the screen is composed only when
// something visible changed. Main thread only.
class WindowStack {
 public:
  WindowStack(int width, int height);
  ~WindowStack();
  WindowStack(const WindowStack&) = delete;
  WindowStack& operator=(const WindowStack&) = delete;

  void Push(std::shared_ptr<Window> window);
  // Takes the window off the stack wherever it is; nothing when it is not there.
  void Remove(const Window* window);
  [[nodiscard]] std::shared_ptr<Window> Top() const;
  [[nodiscard]] bool Contains(const Window* window) const;
  [[nodiscard]] bool Empty() const { return windows_.empty(); }

  // Something on the screen asked to be painted again since the last Compose.
  [[nodiscard]] bool NeedsPaint() const { return needsPaint_; }
  // The display lost the picture: paint everything visible again.
  void InvalidateAll();
  void Compose(platform::Surface& screen);

  bool OnKey(platform::Key key);
  bool OnText(std::u16string_view text);
  void OnClick(int x, int y);
  void OnCloseRequest();

  [[nodiscard]] TextCache& Text() { return text_; }

 private:
  // Where the visible windows start: the highest full-screen window (0 when there is none).
  [[nodiscard]] size_t VisibleFrom() const;
  void OnInvalidated(const Window& window);

  const int width_;
  const int height_;
  std::vector<std::shared_ptr<Window>> windows_;
  TextCache text_;
  bool needsPaint_ = true;
};

}  // namespace quelt::ui
