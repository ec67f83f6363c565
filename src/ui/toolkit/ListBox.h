#pragma once

#include <string>
#include <vector>

#include "ui/toolkit/FormControl.h"

namespace quelt::ui {

// A label over a list of a few rows with one chosen; Up and Down move the choice and, past the
// first or the last row, leave the list to the form. The list scrolls to keep the choice shown.
class ListBox final : public FormControl {
 public:
  ListBox(std::u16string label, std::vector<std::u16string> items, size_t chosen, int rows = 3);

  [[nodiscard]] size_t Chosen() const { return chosen_; }

  [[nodiscard]] int Height(const FormStyle& style, int width) const override;
  void Paint(Painter& painter, const platform::Rect& area, const FormStyle& style, bool focused) override;
  bool OnKey(platform::Key key) override;

 private:
  const std::u16string label_;
  const std::vector<std::u16string> items_;
  const int rows_;
  size_t chosen_ = 0;
  size_t top_ = 0;
};

}  // namespace quelt::ui
