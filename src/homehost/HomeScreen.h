#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "homehost/ClockRow.h"
#include "homehost/HomeRow.h"
#include "homehost/HomeTheme.h"
#include "platform/screen/Input.h"

namespace quelt::platform {
class Font;
class PortListener;
class Surface;
}  // namespace quelt::platform

namespace quelt::home {

class FileWatcher;
class HomeScheme;
class HostMailbox;
class RowFactory;

// The home screen without a window: the scheme's title strip over its rows, a selection moved
// by the keys, and painting into a surface it is given. Everything but the constructor's `wake`
// runs on one thread, the UI thread; other threads only post to it and call `wake`.
class HomeScreen {
 public:
  struct Setup {
    int width = 240;
    int height = 320;
    std::filesystem::path registryFile;   // the user's registry
    std::filesystem::path programFolder;  // where Home/Default.home.xml is
    std::function<void()> wake;           // asks the UI thread to call RunPending; any thread
    WallClock clock = [] { return std::chrono::system_clock::now(); };
  };

  // What the layout made of a row, for whoever needs to know where rows are.
  struct RowView {
    std::optional<Guid> clsid;
    platform::Rect area;  // empty when the row is hidden
    bool selectable = false;
  };

  explicit HomeScreen(Setup setup);
  ~HomeScreen();
  HomeScreen(const HomeScreen&) = delete;
  HomeScreen& operator=(const HomeScreen&) = delete;

  // Loads the scheme the registry names (or the default one).
  void Load();
  // Answers data-changed notices on the host's port and watches the scheme setting. False when
  // another home screen holds the port.
  [[nodiscard]] bool Listen();

  // Takes in what other threads posted: repaints, data-changed notices, a changed scheme.
  void RunPending();
  void Press(platform::Key key);
  // Milliseconds until the clock needs a look (RunTimers); nothing while no row shows the time.
  [[nodiscard]] std::optional<uint32_t> UntilTimer() const;
  void RunTimers();

  [[nodiscard]] bool NeedsPaint() const { return paintAll_ || !dirty_.empty(); }
  void InvalidateAll() { paintAll_ = true; }
  // Paints what changed since the last paint (everything the first time).
  void Paint(platform::Surface& screen);

  [[nodiscard]] std::string Title() const { return title_; }
  [[nodiscard]] std::filesystem::path SchemeFile() const;
  [[nodiscard]] std::vector<RowView> Rows();
  [[nodiscard]] std::optional<size_t> Selected() const { return selected_; }

 private:
  struct Row {
    std::optional<Guid> clsid;
    std::unique_ptr<HomeRow> row;
    platform::Rect area;
    bool selectable = false;
  };

  void Unload();
  void Show(std::unique_ptr<HomeScheme> scheme, std::filesystem::path wanted);
  void ReloadIfChanged();
  void DeliverDataChanged(const Guid& clsid);
  // Asks every row its height again; when any row moved or changed size, the whole screen is
  // painted anew.
  void Layout();
  void Select(std::optional<size_t> row);
  void MoveSelection(int step);
  [[nodiscard]] int TitleHeight() const;
  void PaintTitle(platform::Surface& screen) const;
  void WatchFiles();
  [[nodiscard]] int64_t CurrentMinute() const;

  Setup setup_;
  std::shared_ptr<const HomeTheme> theme_;
  std::shared_ptr<platform::Font> titleFont_;
  std::shared_ptr<HostMailbox> mailbox_;
  std::unique_ptr<RowFactory> factory_;
  std::unique_ptr<HomeScheme> scheme_;
  std::filesystem::path wanted_;
  std::string title_;
  std::vector<Row> rows_;
  std::optional<size_t> selected_;
  bool paintAll_ = true;
  std::set<size_t> dirty_;
  int64_t shownMinute_ = 0;
  std::unique_ptr<platform::PortListener> port_;
  std::unique_ptr<FileWatcher> watcher_;
};

}  // namespace quelt::home
