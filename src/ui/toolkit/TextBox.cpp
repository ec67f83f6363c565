#include "ui/toolkit/TextBox.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/screen/Font.h"
#include "ui/toolkit/Painter.h"

namespace quelt::ui {
namespace {

constexpr int kUnlimited = INT_MAX;
constexpr int kLineHeightWithoutFont = 12;

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Where the character at `at` ends; CR LF and surrogate pairs are one character.
size_t NextStop(std::u16string_view text, size_t at) {
  if (at >= text.size()) return text.size();
  if (at + 1 < text.size() &&
      ((text[at] == u'\r' && text[at + 1] == u'\n') || (IsHigh(text[at]) && IsLow(text[at + 1])))) {
    return at + 2;
  }
  return at + 1;
}

size_t PreviousStop(std::u16string_view text, size_t at) {
  if (at == 0) return 0;
  if (at >= 2 && ((text[at - 2] == u'\r' && text[at - 1] == u'\n') || (IsHigh(text[at - 2]) && IsLow(text[at - 1])))) {
    return at - 2;
  }
  return at - 1;
}

bool StartsWord(std::u16string_view text, size_t at) {
  return at > 0 && at < text.size() && text[at - 1] == u' ' && text[at] != u' ';
}

platform::Color Halfway(platform::Color a, platform::Color b) {
  return {static_cast<uint8_t>((a.r + b.r) / 2), static_cast<uint8_t>((a.g + b.g) / 2),
          static_cast<uint8_t>((a.b + b.b) / 2)};
}

}  // namespace

TextBox::TextBox(Options options) : options_(std::move(options)), textWidth_(kUnlimited) {
  options_.lines = std::max(1, options_.lines);
}

TextBox::~TextBox() = default;

bool TextBox::OnKey(platform::Key key) {
  if (!enabled_) return false;
  using platform::Key;
  switch (key) {
    case Key::Left:
      if (caret_ == 0) return false;
      caret_ = PreviousStop(text_, caret_);
      preferredX_.reset();
      return true;
    case Key::Right:
      if (caret_ >= text_.size()) return false;
      caret_ = NextStop(text_, caret_);
      preferredX_.reset();
      return true;
    case Key::Up: return MoveVertically(true);
    case Key::Down: return MoveVertically(false);
    case Key::Backspace: {
      if (caret_ == 0) return false;
      const size_t from = PreviousStop(text_, caret_);
      text_.erase(from, caret_ - from);
      caret_ = from;
      Changed();
      return true;
    }
    case Key::Action:
      if (!options_.multiLine) return false;
      // The key is the box's even when it is full, so a full box does not act like an empty one.
      if (Put(caret_, u"\r\n") > 0) Changed();
      return true;
    default: return false;
  }
}

bool TextBox::OnText(std::u16string_view text) {
  if (!enabled_) return false;
  Insert(text);
  return true;
}

void TextBox::SetText(std::u16string_view text) {
  std::u16string old = std::move(text_);
  text_.clear();
  caret_ = 0;
  Put(0, text);
  caret_ = text_.size();
  if (text_ != old) {
    Changed();
  } else {
    preferredX_.reset();
  }
}

void TextBox::Insert(std::u16string_view text) {
  if (Put(caret_, text) > 0) Changed();
}

void TextBox::Append(std::u16string_view text) {
  const bool added = Put(text_.size(), text) > 0;
  caret_ = text_.size();
  preferredX_.reset();
  if (added) Changed();
}

void TextBox::Clear() {
  caret_ = 0;
  preferredX_.reset();
  if (text_.empty()) return;
  text_.clear();
  Changed();
}

void TextBox::SetEnabled(bool enabled) { enabled_ = enabled; }

void TextBox::SetFont(std::shared_ptr<platform::Font> font) {
  if (font == options_.font) return;
  options_.font = std::move(font);
  laidOut_ = false;
  preferredX_.reset();
}

void TextBox::SetWidth(int width) {
  const int textWidth = std::max(1, width - 2 * kBorder);
  if (textWidth == textWidth_) return;
  textWidth_ = textWidth;
  laidOut_ = false;
  preferredX_.reset();
}

int TextBox::Height() const {
  const int lineHeight = options_.font ? options_.font->Height() : kLineHeightWithoutFont;
  return options_.lines * lineHeight + 2 * kBorder;
}

bool TextBox::CaretOnFirstLine() const { return LineOf(caret_) == 0; }

std::vector<std::u16string> TextBox::VisibleLines() const {
  const auto& lines = Lines();
  std::vector<std::u16string> shown;
  for (size_t i = firstLine_; i < std::min(lines.size(), firstLine_ + VisibleCount()); ++i) {
    shown.push_back(Shown(lines[i].start, lines[i].end));
  }
  return shown;
}

void TextBox::SetColors(platform::Color text, platform::Color background) {
  options_.text = text;
  options_.background = background;
}

void TextBox::Paint(Painter& painter, const platform::Rect& area) {
  SetWidth(area.width);
  painter.Fill(area, options_.background);
  if (options_.frame) painter.Frame(area, *options_.frame);
  if (!options_.font) return;
  const platform::Font& font = *options_.font;
  const auto& lines = Lines();
  const platform::Rect inner{area.x + kBorder, area.y + kBorder, area.width - 2 * kBorder, area.height - 2 * kBorder};
  Painter::Scope scope(painter, inner);
  const int lineHeight = font.Height();
  const platform::Color color = enabled_ ? options_.text : Halfway(options_.text, options_.background);
  const size_t last = std::min(lines.size(), firstLine_ + VisibleCount());
  for (size_t i = firstLine_; i < last; ++i) {
    const std::u16string shown = Shown(lines[i].start, lines[i].end);
    if (!shown.empty()) painter.Text(font, 0, static_cast<int>(i - firstLine_) * lineHeight, shown, color);
  }
  if (!enabled_ || !caretShown_) return;
  const size_t line = LineOf(caret_);
  // Spaces hanging past a wrapped line's end would put the caret outside the box.
  const int x = std::clamp(Measure(lines[line].start, caret_), 0, std::max(0, inner.width - 1));
  painter.Fill({x, static_cast<int>(line - firstLine_) * lineHeight, 1, lineHeight}, options_.text);
}

std::u16string TextBox::Clean(std::u16string_view text) const {
  std::u16string clean;
  clean.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      if (options_.multiLine) clean += u"\r\n";
    } else if (c == u'\t') {
      clean += u' ';
    } else if (c >= 0x20 && c != 0x7F) {
      clean += c;
    }
  }
  return clean;
}

size_t TextBox::Put(size_t at, std::u16string_view text) {
  std::u16string clean = Clean(text);
  if (options_.maxLength) {
    const size_t room = *options_.maxLength > text_.size() ? *options_.maxLength - text_.size() : 0;
    // Cut between characters, never inside a line break or a surrogate pair.
    size_t keep = 0;
    while (keep < clean.size()) {
      const size_t next = NextStop(clean, keep);
      if (next > room) break;
      keep = next;
    }
    clean.resize(keep);
  }
  if (clean.empty()) return 0;
  text_.insert(at, clean);
  if (caret_ >= at) caret_ += clean.size();
  return clean.size();
}

void TextBox::Changed() {
  laidOut_ = false;
  preferredX_.reset();
  if (options_.changed) options_.changed();
}

std::u16string TextBox::Shown(size_t start, size_t end) const {
  if (!options_.password) return text_.substr(start, end - start);
  std::u16string stars;
  for (size_t at = start; at < end; at = NextStop(text_, at)) stars += u'*';
  return stars;
}

int TextBox::Measure(size_t start, size_t end) const {
  if (!options_.font || end <= start) return 0;
  return options_.font->TextWidth(Shown(start, end));
}

bool TextBox::Fits(size_t start, size_t end) const {
  // Spaces at the end of a line may hang past its edge.
  if (!options_.password) {
    while (end > start && text_[end - 1] == u' ') --end;
  }
  return Measure(start, end) <= textWidth_;
}

size_t TextBox::FitEnd(size_t start, size_t to) const {
  if (textWidth_ == kUnlimited) return to;
  size_t fits = std::min(NextStop(text_, start), to);  // at least one character a line
  if (fits >= to || !Fits(start, fits)) return fits;
  // Widths grow with the text: gallop to a length that does not fit, then halve the gap.
  size_t tooLong = fits;
  for (size_t step = 1;; step *= 2) {
    tooLong = std::min(to, fits + step);
    if (!Fits(start, tooLong)) break;
    fits = tooLong;
    if (fits == to) return to;
  }
  while (tooLong - fits > 1) {
    const size_t middle = fits + (tooLong - fits) / 2;
    if (Fits(start, middle)) {
      fits = middle;
    } else {
      tooLong = middle;
    }
  }
  if (fits > start + 1 && IsLow(text_[fits]) && IsHigh(text_[fits - 1])) --fits;
  return fits;
}

void TextBox::WrapParagraph(size_t from, size_t to) const {
  size_t start = from;
  for (;;) {
    const size_t fits = FitEnd(start, to);
    size_t spacesEnd = fits;
    while (!options_.password && spacesEnd < to && text_[spacesEnd] == u' ') ++spacesEnd;
    if (spacesEnd >= to) {
      lines_.push_back({start, to, false});
      return;
    }
    size_t cut = fits;
    if (!options_.password) {
      for (size_t at = spacesEnd; at > start; --at) {
        if (StartsWord(text_, at)) {
          cut = at;
          break;
        }
      }
    }
    lines_.push_back({start, cut, true});
    start = cut;
  }
}

const std::vector<TextBox::Line>& TextBox::Lines() const {
  if (!laidOut_) {
    lines_.clear();
    size_t start = 0;
    for (;;) {
      const size_t lineBreak = text_.find(u"\r\n", start);
      WrapParagraph(start, lineBreak == std::u16string::npos ? text_.size() : lineBreak);
      if (lineBreak == std::u16string::npos) break;
      start = lineBreak + 2;
    }
    laidOut_ = true;
  }
  const size_t line = LineOf(caret_);
  const size_t visible = VisibleCount();
  if (line < firstLine_) firstLine_ = line;
  if (line >= firstLine_ + visible) firstLine_ = line + 1 - visible;
  // No empty lines below the text while there is text above to show instead.
  firstLine_ = std::min(firstLine_, lines_.size() > visible ? lines_.size() - visible : 0);
  return lines_;
}

size_t TextBox::LineOf(size_t position) const {
  if (!laidOut_) Lines();
  // The last line starting at or before the position: a caret where a word was cut sits at the
  // start of the next line.
  const auto after = std::upper_bound(lines_.begin(), lines_.end(), position,
                                      [](size_t at, const Line& line) { return at < line.start; });
  return after == lines_.begin() ? 0 : static_cast<size_t>(after - lines_.begin() - 1);
}

size_t TextBox::LastCaretOn(const Line& line) const { return line.wrapped ? PreviousStop(text_, line.end) : line.end; }

size_t TextBox::VisibleCount() const { return static_cast<size_t>(options_.lines); }

bool TextBox::MoveVertically(bool up) {
  const auto& lines = Lines();
  const size_t line = LineOf(caret_);
  if (up ? line == 0 : line + 1 >= lines.size()) return false;
  const Line& from = lines[line];
  const Line& to = lines[up ? line - 1 : line + 1];
  if (!preferredX_) preferredX_ = Measure(from.start, caret_);
  size_t best = to.start;
  int bestDistance = INT_MAX;
  const size_t last = LastCaretOn(to);
  for (size_t at = to.start;; at = NextStop(text_, at)) {
    const int distance = std::abs(Measure(to.start, at) - *preferredX_);
    if (distance > bestDistance) break;  // moving away from it now
    if (distance < bestDistance) {
      best = at;
      bestDistance = distance;
    }
    if (at >= last) break;
  }
  caret_ = best;
  Lines();  // scrolls to the caret's new line
  return true;
}

}  // namespace quelt::ui
