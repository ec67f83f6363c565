#include "ui/toolkit/FolderChooser.h"

#include <algorithm>

#include "platform/screen/Font.h"
#include "ui/toolkit/Caption.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/ScrollBar.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::ui {

using platform::Key;
using platform::Rect;

std::shared_ptr<FolderChooser> FolderChooser::Open(WindowStack& stack, int screenWidth, int screenHeight,
                                                   FormStyle style, Labels labels, std::filesystem::path start,
                                                   Chosen chosen) {
  std::shared_ptr<FolderChooser> chooser(
      new FolderChooser(stack, screenWidth, screenHeight, std::move(style), std::move(labels), std::move(chosen)));
  // A folder that is gone (a removed drive, say) starts the browsing at its nearest ancestor.
  std::error_code error;
  start = std::filesystem::absolute(start, error);
  while (start.has_relative_path() && !std::filesystem::is_directory(start, error)) start = start.parent_path();
  chooser->Enter(start.empty() ? std::filesystem::path("/") : start);
  stack.Push(chooser);
  return chooser;
}

FolderChooser::FolderChooser(WindowStack& stack, int screenWidth, int screenHeight, FormStyle style, Labels labels,
                             Chosen chosen)
    : stack_(stack),
      screenWidth_(screenWidth),
      screenHeight_(screenHeight),
      style_(std::move(style)),
      labels_(std::move(labels)),
      chosen_(std::move(chosen)) {}

void FolderChooser::Enter(std::filesystem::path folder) {
  folder_ = folder.lexically_normal();
  if (folder_.has_relative_path() && !folder_.has_filename()) folder_ = folder_.parent_path();
  entries_.clear();
  if (folder_.has_relative_path()) entries_.push_back(folder_.parent_path());
  std::vector<std::filesystem::path> subfolders;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
    std::error_code kind;
    if (it->is_directory(kind)) subfolders.push_back(it->path());
  }
  std::sort(subfolders.begin(), subfolders.end());
  entries_.insert(entries_.end(), subfolders.begin(), subfolders.end());
  selected_ = 0;
  top_ = 0;
  Invalidate();
}

bool FolderChooser::OnKey(Key key) {
  const bool hasParent = folder_.has_relative_path();
  switch (key) {
    case Key::Up:
      if (selected_ > 0) --selected_;
      break;
    case Key::Down:
      if (selected_ + 1 < entries_.size()) ++selected_;
      break;
    case Key::Action:
    case Key::Right:
      if (selected_ < entries_.size()) Enter(entries_[selected_]);
      return true;
    case Key::Left:
      if (hasParent) Enter(folder_.parent_path());
      return true;
    case Key::RightSoft: {
      // The chosen subfolder, or the folder shown when ".." is chosen.
      const bool sub = selected_ < entries_.size() && !(hasParent && selected_ == 0);
      const auto chosen = sub ? entries_[selected_] : folder_;
      const auto keep = shared_from_this();
      stack_.Remove(this);
      chosen_(chosen);
      return true;
    }
    case Key::LeftSoft:
    case Key::Back:
    case Key::Backspace: stack_.Remove(this); return true;
    default: return false;
  }
  Invalidate();
  return true;
}

std::optional<Key> FolderChooser::KeyForClick(int x, int y) const {
  return SoftKeyBar::KeyAt(SoftKeyBar::Area(screenWidth_, screenHeight_), x, y);
}

void FolderChooser::Paint(Painter& painter) {
  painter.Fill({0, 0, screenWidth_, screenHeight_}, style_.background);
  const int top = PaintTitleStrip(painter, screenWidth_, folder_.u16string());
  const Rect softKeys = SoftKeyBar::Area(screenWidth_, screenHeight_);
  const int scrollBar = DefaultLook().scrollBarWidth;
  const Rect list{0, top, screenWidth_ - scrollBar - 1, softKeys.y - top};
  const int row = style_.LineHeight() + 4;
  const size_t visible = size_t(std::max(1, list.height / row));
  if (selected_ < top_) top_ = selected_;
  if (selected_ >= top_ + visible) top_ = selected_ + 1 - visible;
  {
    Painter::Scope scope(painter, list);
    for (size_t i = top_; i < entries_.size() && i < top_ + visible; ++i) {
      const Rect area{1, int(i - top_) * row, list.width - 2, row};
      const bool parent = i == 0 && folder_.has_relative_path();
      const std::u16string name = parent ? u".." : entries_[i].filename().u16string();
      if (i == selected_) {
        painter.Fill(area, style_.field);
        painter.Frame(area, style_.focus);
      }
      if (style_.font) painter.Text(*style_.font, area.x + 4, area.y + 2, name + u"/", style_.text);
    }
  }
  PaintScrollBar(painter, {screenWidth_ - scrollBar, top, scrollBar, list.height}, int(entries_.size()) * row,
                 int(visible) * row, int(top_) * row);
  SoftKeyBar::Paint(painter, softKeys, labels_.cancel, labels_.take);
}

}  // namespace quelt::ui
