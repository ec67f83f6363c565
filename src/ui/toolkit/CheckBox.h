#pragma once

#include <string>
#include <vector>

#include "ui/toolkit/FormControl.h"

namespace quelt::ui {

// A box and its label; Return or Left/Right tick and clear it.
class CheckBox final : public FormControl {
 public:
  CheckBox(std::u16string label, bool checked) : label_(std::move(label)), checked_(checked) {}

  [[nodiscard]] bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }

  [[nodiscard]] int Height(const FormStyle& style, int width) const override;
  void Paint(Painter& painter, const platform::Rect& area, const FormStyle& style, bool focused) override;
  bool OnKey(platform::Key key) override;

 private:
  [[nodiscard]] std::vector<std::u16string> Lines(const FormStyle& style, int width) const;

  const std::u16string label_;
  bool checked_;
};

// A line of text that takes no focus: a note under a field, say.
class FormNote final : public FormControl {
 public:
  explicit FormNote(std::u16string text) : text_(std::move(text)) {}
  [[nodiscard]] int Height(const FormStyle& style, int width) const override;
  void Paint(Painter& painter, const platform::Rect& area, const FormStyle& style, bool focused) override;
  [[nodiscard]] bool Focusable() const override { return false; }

 private:
  const std::u16string text_;
};

}  // namespace quelt::ui
