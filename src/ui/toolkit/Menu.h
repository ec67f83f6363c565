#pragma once

#include <string>
#include <vector>

namespace quelt::ui {

// One line of a popup menu: a command, a submenu, or a separator. Menus are built afresh each
// time they open, so their state (greyed, checked) is always current.
struct MenuItem {
  std::u16string label;
  int command = 0;
  bool enabled = true;
  bool checked = false;
  bool separator = false;
  std::vector<MenuItem> submenu;

  [[nodiscard]] static MenuItem Separator() { return MenuItem{.separator = true}; }
  [[nodiscard]] bool HasSubmenu() const { return !submenu.empty(); }
  // Can be chosen: not a separator, not greyed.
  [[nodiscard]] bool Choosable() const { return !separator && enabled; }
};

}  // namespace quelt::ui
