#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/screen/Geometry.h"
#include "platform/screen/Input.h"

namespace quelt::platform {
class Font;
}

namespace quelt::ui {

class Painter;

// An edit control painted by the window that owns it: UTF-16 text wrapped at words to the width
// it is painted at, a steady caret, and as many lines shown as it was given, scrolled so that the
// caret's line always shows. Line breaks are stored as CR LF, the way messages travel, and the
// caret steps over them (and over surrogate pairs) as one character. Main thread.
class TextBox {
 public:
  struct Options {
    std::shared_ptr<platform::Font> font;  // null: nothing is drawn, the text is still edited
    platform::Color text;
    platform::Color background;
    std::optional<platform::Color> frame;  // none: no frame is drawn
    int lines = 1;                         // lines shown at a time
    bool multiLine = false;                // Action inserts a line break; pasted ones are kept
    bool password = false;                 // shows one '*' per character
    std::optional<size_t> maxLength;       // in UTF-16 units, a line break counting two
    std::function<void()> changed;         // after every change of the text, never for caret moves
  };

  static constexpr int kBorder = 2;  // frame and padding on each side

  explicit TextBox(Options options);
  ~TextBox();
  TextBox(const TextBox&) = delete;
  TextBox& operator=(const TextBox&) = delete;

  // True when the key was used. Left at the start, Right at the end, Up on the first and Down on
  // the last line, Backspace with nothing before the caret and keypad keys are left to the owner
  // (typed characters come through OnText). A disabled box uses no key.
  bool OnKey(platform::Key key);
  // Typed text, inserted at the caret; false when the box is disabled.
  bool OnText(std::u16string_view text);

  [[nodiscard]] const std::u16string& Text() const { return text_; }
  // Replaces the text; the caret goes to the end.
  void SetText(std::u16string_view text);
  void Insert(std::u16string_view text);
  // Adds the text at the end and puts the caret after it (a paste).
  void Append(std::u16string_view text);
  void Clear();

  void SetEnabled(bool enabled);
  [[nodiscard]] bool Enabled() const { return enabled_; }
  void SetFont(std::shared_ptr<platform::Font> font);
  void SetColors(platform::Color text, platform::Color background);
  // A box without the focus shows no caret.
  void ShowCaret(bool shown) { caretShown_ = shown; }

  // The width of the whole box, frame included, that the text wraps to; Paint sets it from its
  // area. Until it is known, lines break only where the text does.
  void SetWidth(int width);
  // The height of the box for its number of lines.
  [[nodiscard]] int Height() const;
  [[nodiscard]] size_t Caret() const { return caret_; }
  [[nodiscard]] bool CaretOnFirstLine() const;
  // The shown lines as drawn (stars for a password).
  [[nodiscard]] std::vector<std::u16string> VisibleLines() const;

  void Paint(Painter& painter, const platform::Rect& area);

 private:
  // One visual line: text [start, end). A line ended by wrapping runs up to where the next one
  // starts (spaces included); one ended by a line break stops before the CR LF.
  struct Line {
    size_t start = 0;
    size_t end = 0;
    bool wrapped = false;
  };

  // The text as it may be stored: line breaks made CR LF (or dropped), other controls dropped.
  [[nodiscard]] std::u16string Clean(std::u16string_view text) const;
  // Inserts what fits of `text` at `at`; the number of units inserted.
  size_t Put(size_t at, std::u16string_view text);
  void Changed();

  [[nodiscard]] std::u16string Shown(size_t start, size_t end) const;
  [[nodiscard]] int Measure(size_t start, size_t end) const;
  [[nodiscard]] bool Fits(size_t start, size_t end) const;
  [[nodiscard]] size_t FitEnd(size_t start, size_t to) const;
  void WrapParagraph(size_t from, size_t to) const;
  // The lines for the current text, width and font, scrolled to show the caret.
  const std::vector<Line>& Lines() const;
  [[nodiscard]] size_t LineOf(size_t position) const;
  [[nodiscard]] size_t LastCaretOn(const Line& line) const;
  [[nodiscard]] size_t VisibleCount() const;
  bool MoveVertically(bool up);

  Options options_;
  std::u16string text_;
  size_t caret_ = 0;
  bool enabled_ = true;
  bool caretShown_ = true;
  int textWidth_;
  std::optional<int> preferredX_;  // kept over successive Up and Down presses

  mutable std::vector<Line> lines_;
  mutable bool laidOut_ = false;
  mutable size_t firstLine_ = 0;
};

}  // namespace quelt::ui
