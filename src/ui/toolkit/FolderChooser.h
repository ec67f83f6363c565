#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/toolkit/FormControl.h"
#include "ui/toolkit/Window.h"

namespace quelt::ui {

class WindowStack;

// Browses the file system for a folder: the folder shown in the title, its subfolders below
// ".." (its parent). Up and Down choose, Return or Right opens, Left goes up a level, the right
// soft key takes the folder shown (or the chosen subfolder), Back gives up. Unreadable folders
// show as empty. Main thread.
class FolderChooser final : public Window, public std::enable_shared_from_this<FolderChooser> {
 public:
  struct Labels {
    std::u16string take;    // the right soft key
    std::u16string cancel;  // the left soft key
  };
  using Chosen = std::function<void(const std::filesystem::path&)>;

  static std::shared_ptr<FolderChooser> Open(WindowStack& stack, int screenWidth, int screenHeight, FormStyle style,
                                             Labels labels, std::filesystem::path start, Chosen chosen);

  void Paint(Painter& painter) override;
  bool OnKey(platform::Key key) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;

  [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }
  [[nodiscard]] const std::vector<std::filesystem::path>& Entries() const { return entries_; }

 private:
  FolderChooser(WindowStack& stack, int screenWidth, int screenHeight, FormStyle style, Labels labels, Chosen chosen);
  void Enter(std::filesystem::path folder);

  WindowStack& stack_;
  const int screenWidth_;
  const int screenHeight_;
  const FormStyle style_;
  const Labels labels_;
  const Chosen chosen_;
  std::filesystem::path folder_;
  std::vector<std::filesystem::path> entries_;  // the parent first (unless at the root), then subfolders
  size_t selected_ = 0;
  size_t top_ = 0;
};

}  // namespace quelt::ui
