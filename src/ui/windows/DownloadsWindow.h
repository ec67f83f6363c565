#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/EventListener.h"
#include "resources/SkinData.h"
#include "ui/shell/ScreenSize.h"
#include "ui/shell/UiLoop.h"
#include "ui/toolkit/Window.h"

namespace quelt::core {
class Application;
}
namespace quelt::download {
class DownloadManager;
class DownloadTask;
}  // namespace quelt::download

namespace quelt::ui {

// What the downloads window reaches outside the program; tests put their own in.
struct DownloadsServices {
  std::function<bool(std::u16string_view)> setClipboard;
  // Hands a file or a folder to the desktop (xdg-open), without a shell.
  std::function<bool(const std::string&)> open;

  [[nodiscard]] static DownloadsServices System();
};

// The download tasks, one row each with its state, progress and size; the menu starts, stops,
// adds and deletes them. Main thread.
class DownloadsWindow final : public Window,
                              public core::EventListener,
                              public std::enable_shared_from_this<DownloadsWindow> {
 public:
  static std::shared_ptr<DownloadsWindow> Open(core::Application& application, UiLoop& loop, ScreenSize screen,
                                               std::shared_ptr<download::DownloadManager> manager,
                                               DownloadsServices services = DownloadsServices::System());
  // Brings the window to the front, or back on the screen after Left hid it.
  void Show();
  void Select(size_t index);

  void Paint(Painter& painter) override;
  bool OnKey(platform::Key key) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;
  void OnEvent(const core::AppEventPtr& event) override;

  [[nodiscard]] std::optional<size_t> Selected() const;
  [[nodiscard]] bool Shown() const { return shown_; }

 private:
  DownloadsWindow(core::Application& application, UiLoop& loop, ScreenSize screen,
                  std::shared_ptr<download::DownloadManager> manager, DownloadsServices services);
  void Hide();
  [[nodiscard]] std::shared_ptr<download::DownloadTask> SelectedTask() const;
  [[nodiscard]] bool FileExists(const download::DownloadTask& task) const;
  void OpenSelected();
  void OpenMenu();
  void RunCommand(int command);
  void AskForLink();
  void ClampSelection();
  void PaintRows(Painter& painter, const platform::Rect& list, const resources::SkinData::Downloads& skin);

  core::Application& application_;
  UiLoop& loop_;
  const ScreenSize screen_;
  const std::shared_ptr<download::DownloadManager> manager_;
  const DownloadsServices services_;
  std::vector<std::shared_ptr<download::DownloadTask>> tasks_;  // as last painted
  size_t selected_ = 0;
  size_t top_ = 0;
  bool shown_ = false;
};

}  // namespace quelt::ui
