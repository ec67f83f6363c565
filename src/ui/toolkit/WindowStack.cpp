#include "ui/toolkit/WindowStack.h"

#include <algorithm>

#include "platform/screen/Surface.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/Window.h"

namespace quelt::ui {

WindowStack::WindowStack(int width, int height) : width_(width), height_(height) {}

WindowStack::~WindowStack() {
  for (const auto& window : windows_) window->onInvalidate_ = nullptr;
}

void WindowStack::Push(std::shared_ptr<Window> window) {
  if (!window) return;
  window->onInvalidate_ = [this](const Window& changed) { OnInvalidated(changed); };
  window->dirty_ = true;
  windows_.push_back(std::move(window));
  needsPaint_ = true;
}

void WindowStack::Remove(const Window* window) {
  const auto found =
      std::find_if(windows_.begin(), windows_.end(), [window](const auto& w) { return w.get() == window; });
  if (found == windows_.end()) return;
  (*found)->onInvalidate_ = nullptr;
  windows_.erase(found);
  needsPaint_ = true;
}

std::shared_ptr<Window> WindowStack::Top() const { return windows_.empty() ? nullptr : windows_.back(); }

bool WindowStack::Contains(const Window* window) const {
  return std::any_of(windows_.begin(), windows_.end(), [window](const auto& w) { return w.get() == window; });
}

size_t WindowStack::VisibleFrom() const {
  for (size_t i = windows_.size(); i > 0; --i) {
    if (!windows_[i - 1]->IsOverlay()) return i - 1;
  }
  return 0;
}

void WindowStack::OnInvalidated(const Window& window) {
  // A window hidden under a full-screen one repaints when it shows again; until then it costs
  // no frame.
  const size_t from = VisibleFrom();
  for (size_t i = from; i < windows_.size(); ++i) {
    if (windows_[i].get() == &window) needsPaint_ = true;
  }
}

void WindowStack::InvalidateAll() {
  for (const auto& window : windows_) window->dirty_ = true;
  needsPaint_ = true;
}

void WindowStack::Compose(platform::Surface& screen) {
  needsPaint_ = false;
  const platform::Rect whole{0, 0, screen.Width(), screen.Height()};
  if (windows_.empty()) {
    screen.Fill(whole, {});
    return;
  }
  const size_t from = VisibleFrom();
  // Painting may invalidate or even close windows; work on copies of the references.
  const std::vector<std::shared_ptr<Window>> visible(windows_.begin() + static_cast<std::ptrdiff_t>(from),
                                                     windows_.end());
  const auto& base = visible.front();
  if (base->IsOverlay()) {
    screen.Fill(whole, {});
  } else {
    if (!base->cache_) base->cache_ = platform::Surface::Create(width_, height_);
    if (base->cache_ && base->dirty_) {
      base->dirty_ = false;
      Painter painter(*base->cache_, text_);
      base->Paint(painter);
    }
    if (base->cache_) screen.Draw(*base->cache_, 0, 0, whole);
  }
  for (size_t i = base->IsOverlay() ? 0 : 1; i < visible.size(); ++i) {
    visible[i]->dirty_ = false;
    Painter painter(screen, text_);
    visible[i]->Paint(painter);
  }
}

bool WindowStack::OnKey(platform::Key key) {
  const auto top = Top();
  return top && top->OnKey(key);
}

bool WindowStack::OnText(std::u16string_view text) {
  const auto top = Top();
  return top && top->OnText(text);
}

void WindowStack::OnClick(int x, int y) {
  if (const auto top = Top()) top->OnClick(x, y);
}

void WindowStack::OnCloseRequest() {
  // The windows underneath decide what closing means (the main window quits).
  if (!windows_.empty()) windows_.front()->OnCloseRequest();
}

}  // namespace quelt::ui
