#include "ui/toolkit/Window.h"

#include "platform/screen/Surface.h"

namespace quelt::ui {

Window::Window() = default;
Window::~Window() = default;

void Window::Invalidate() {
  dirty_ = true;
  if (onInvalidate_) onInvalidate_(*this);
}

}  // namespace quelt::ui
