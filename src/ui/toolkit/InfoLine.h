#pragma once

#include <string>

#include "ui/toolkit/FormControl.h"

namespace quelt::ui {

// A label and a value under it, wrapped: a field of an information window. It takes the focus
// only so that a long window scrolls line by line.
class InfoLine final : public FormControl {
 public:
  InfoLine(std::u16string label, std::u16string value) : label_(std::move(label)), value_(std::move(value)) {}

  void SetValue(std::u16string value) { value_ = std::move(value); }
  [[nodiscard]] const std::u16string& Value() const { return value_; }

  [[nodiscard]] int Height(const FormStyle& style, int width) const override;
  void Paint(Painter& painter, const platform::Rect& area, const FormStyle& style, bool focused) override;

 private:
  const std::u16string label_;
  std::u16string value_;
};

}  // namespace quelt::ui
