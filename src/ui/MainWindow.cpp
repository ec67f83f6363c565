#include "ui/MainWindow.h"

#include "core/Application.h"
#include "core/SingleInstance.h"
#include "platform/screen/Surface.h"
#include "ui/QuitSequence.h"
#include "ui/SoftKeyBar.h"
#include "ui/UiLoop.h"

namespace quelt::ui {
namespace {
constexpr int kTitlePadding = 3;
}  // namespace

MainWindow::MainWindow(core::Application& application, UiLoop& loop, ScreenSize screen)
    : application_(application), loop_(loop), screen_(screen), look_(DefaultLook()), fonts_(OpenLookFonts(look_)) {}

void MainWindow::Paint(platform::Surface& surface) {
  surface.Fill({0, 0, surface.Width(), surface.Height()}, look_.background);
  const int titleHeight = (fonts_.title ? fonts_.title->Height() : 14) + 2 * kTitlePadding;
  if (fonts_.title) {
    fonts_.title->Draw(surface, 2 * kTitlePadding, kTitlePadding, core::kMainWindowTitle, look_.text,
                       {0, 0, surface.Width(), titleHeight});
  }
  surface.Fill({0, titleHeight, surface.Width(), 1}, look_.rule);
  const auto bar = SoftKeyBar::Area(surface.Width(), surface.Height(), fonts_.softKeys.get());
  SoftKeyBar::Paint(surface, bar, look_, fonts_.softKeys.get(), application_.Text("quit"), {});
}

bool MainWindow::OnKey(platform::Key key) {
  if (key != platform::Key::LeftSoft) return false;
  Quit();
  return true;
}

std::optional<platform::Key> MainWindow::KeyForClick(int x, int y) const {
  return SoftKeyBar::KeyAt(SoftKeyBar::Area(screen_.width, screen_.height, fonts_.softKeys.get()), x, y);
}

void MainWindow::OnCloseRequest() { Quit(); }

void MainWindow::OnEvent(const core::AppEventPtr& /*event*/) { loop_.Invalidate(); }

void MainWindow::Quit() {
  if (quitting_) return;
  quitting_ = true;
  RunQuitSequence(application_, loop_, this);
}

}  // namespace quelt::ui
