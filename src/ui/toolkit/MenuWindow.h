#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/screen/Geometry.h"
#include "ui/toolkit/Menu.h"
#include "ui/toolkit/Window.h"

namespace quelt::ui {

class WindowStack;

// A popup menu over the screen, opened from a soft key. Up and Down move (past separators, round
// the ends), Return, Right or the left soft key choose or open a submenu, the digits 1 to 9 choose
// the n-th item, Left or Back close one level, the right soft key closes them all. A menu taller
// than the room above the soft-key bar scrolls. Choosing closes every level, then reports the
// command.
class MenuWindow final : public Window, public std::enable_shared_from_this<MenuWindow> {
 public:
  using Chosen = std::function<void(int command)>;
  enum class Side { Left, Right };  // the soft key the menu opens from

  static std::shared_ptr<MenuWindow> Open(WindowStack& stack, std::vector<MenuItem> items, Chosen chosen, Side side,
                                          int screenWidth, int screenHeight);

  void Paint(Painter& painter) override;
  bool OnKey(platform::Key key) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;
  [[nodiscard]] bool IsOverlay() const override { return true; }

  [[nodiscard]] const std::vector<MenuItem>& Items() const { return items_; }
  [[nodiscard]] int Selected() const { return selected_; }
  [[nodiscard]] const platform::Rect& Area() const { return area_; }

 private:
  MenuWindow(WindowStack& stack, std::vector<MenuItem> items, Chosen chosen, std::weak_ptr<MenuWindow> parent);
  void Place(int left, int bottom, int screenWidth, int screenHeight, Side side);
  void Move(int step);
  void Activate(int index);
  void CloseLevel();
  void CloseAll();
  [[nodiscard]] int ItemTop(int index) const;  // within the list, before scrolling
  [[nodiscard]] int ItemHeight(int index) const;
  [[nodiscard]] int NthChoosable(int n) const;  // the item the digit n stands for; -1 for none
  void KeepSelectionVisible();

  WindowStack& stack_;
  const std::vector<MenuItem> items_;
  const Chosen chosen_;
  const std::weak_ptr<MenuWindow> parent_;
  platform::Rect area_;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
  int selected_ = -1;
  int scroll_ = 0;  // pixels of the list above the top edge
};

}  // namespace quelt::ui
