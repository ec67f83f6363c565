#include "ui/toolkit/Window.h"

#include "platform/screen/Surface.h"

namespace quelt::ui {

Window::Window() = default;
Window::~Window() = default;

void Window::OnClick(int x, int y) {
  if (const auto key = KeyForClick(x, y)) OnKey(*key);
}

void Window::Invalidate() {
  dirty_ = true;
  if (onInvalidate_) onInvalidate_(*this);
}

}  // namespace quelt::ui
