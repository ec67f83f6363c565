#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/toolkit/FormControl.h"
#include "ui/toolkit/TextBox.h"

namespace quelt::ui {

// A label with a one-line text box under it; a password field shows stars.
class TextField final : public FormControl {
 public:
  struct Options {
    bool password = false;
    std::optional<size_t> maxLength;
  };

  TextField(std::u16string label, std::u16string_view text, Options options);

  [[nodiscard]] const std::u16string& Text() const { return box_.Text(); }
  void SetText(std::u16string_view text) { box_.SetText(text); }
  // Forgets the text, overwriting it first: for passwords once read.
  void Wipe();

  [[nodiscard]] int Height(const FormStyle& style, int width) const override;
  void Paint(Painter& painter, const platform::Rect& area, const FormStyle& style, bool focused) override;
  bool OnKey(platform::Key key) override;
  bool OnText(std::u16string_view text) override { return box_.OnText(text); }

 private:
  void Style(const FormStyle& style) const;

  const std::u16string label_;
  mutable TextBox box_;
};

// A label with a value chosen from a list by Left and Right (an up-down control), or by Return,
// which steps forward.
class ChoiceBox final : public FormControl {
 public:
  ChoiceBox(std::u16string label, std::vector<std::u16string> choices, size_t chosen);
  // Called after every change of the choice by a key.
  void OnChange(std::function<void(size_t)> changed) { changed_ = std::move(changed); }

  [[nodiscard]] size_t Chosen() const { return chosen_; }
  void Choose(size_t index);

  [[nodiscard]] int Height(const FormStyle& style, int width) const override;
  void Paint(Painter& painter, const platform::Rect& area, const FormStyle& style, bool focused) override;
  bool OnKey(platform::Key key) override;

 private:
  const std::u16string label_;
  const std::vector<std::u16string> choices_;
  size_t chosen_ = 0;
  std::function<void(size_t)> changed_;
};

}  // namespace quelt::ui
