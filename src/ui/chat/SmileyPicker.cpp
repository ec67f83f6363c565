#include "ui/chat/SmileyPicker.h"

#include <algorithm>
#include <cstdint>

#include "core/UiDispatcher.h"
#include "platform/screen/Font.h"
#include "platform/screen/Image.h"
#include "resources/SmileyTable.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/WindowStack.h"
#include "ui/windows/ContactListPaint.h"

namespace quelt::ui {

using platform::Color;
using platform::Key;
using platform::Rect;

namespace {

constexpr int kPadding = 3;

const platform::Font* TextFont() { return DefaultLookFonts().menu.get(); }
int LineHeight() { return (TextFont() != nullptr ? TextFont()->Height() : 14) + 2; }

}  // namespace

std::shared_ptr<SmileyPicker> SmileyPicker::Open(WindowStack& stack, ScreenSize screen,
                                                 const resources::SmileyTable& table,
                                                 const resources::SkinData::Chat& colours, Labels labels, Chosen chosen,
                                                 core::UiDispatcher* animate) {
  auto picker = std::shared_ptr<SmileyPicker>(
      new SmileyPicker(stack, screen, table, colours, std::move(labels), std::move(chosen)));
  if (animate != nullptr && picker->grid_) {
    std::weak_ptr<SmileyPicker> weak = picker;
    picker->animation_ = std::make_unique<AnimationScheduler>([animate, weak] {
      animate->PostTask([weak] {
        if (const auto self = weak.lock()) self->Invalidate();
      });
    });
    const auto& smileys = table.Smileys();
    picker->animationItem_.assign(smileys.size(), SIZE_MAX);
    for (size_t i = 0; i < smileys.size(); ++i) {
      if (smileys[i].image && smileys[i].image->FrameCount() > 1) {
        picker->animationItem_[i] = picker->animation_->Add(smileys[i].image);
      }
    }
    if (picker->animation_->ItemCount() > 0) picker->animation_->Start();
  }
  stack.Push(picker);
  return picker;
}

SmileyPicker::SmileyPicker(WindowStack& stack, ScreenSize screen, const resources::SmileyTable& table,
                           const resources::SkinData::Chat& colours, Labels labels, Chosen chosen)
    : stack_(stack),
      screen_(screen),
      table_(table),
      colours_(colours),
      labels_(std::move(labels)),
      chosen_(std::move(chosen)),
      grid_(table.HasImages()) {
  if (!grid_) return;
  int width = 1;
  int height = 1;
  for (const auto& smiley : table_.Smileys()) {
    if (!smiley.image || !smiley.image->Decode()) continue;
    width = std::max(width, smiley.image->Width());
    height = std::max(height, smiley.image->Height());
  }
  // Each cell keeps room for the selection frame around its picture.
  const int spacing = std::max(0, colours_.smileySpacing);
  cellWidth_ = width + spacing + 4;
  cellHeight_ = height + spacing + 4;
  columns_ = std::max(1, screen_.width / cellWidth_);
}

void SmileyPicker::Move(int step) {
  const auto count = static_cast<int>(table_.Smileys().size());
  if (count == 0) return;
  const int next = static_cast<int>(selected_) + step;
  // Up and Down stop at the edges; Left and Right run on through the rows.
  if (next < 0 || next >= count) {
    if (step == 1 || step == -1) selected_ = static_cast<size_t>((next + count) % count);
  } else {
    selected_ = static_cast<size_t>(next);
  }
  Invalidate();
}

void SmileyPicker::Choose() {
  if (selected_ >= table_.Smileys().size()) return;
  if (animation_) animation_->Stop();
  const std::u16string text = table_.Smileys()[selected_].text;
  const Chosen chosen = chosen_;
  stack_.Remove(this);
  if (chosen) chosen(text);
}

bool SmileyPicker::OnKey(Key key) {
  switch (key) {
    case Key::Left: Move(-1); return true;
    case Key::Right: Move(1); return true;
    case Key::Up: Move(grid_ ? -columns_ : -1); return true;
    case Key::Down: Move(grid_ ? columns_ : 1); return true;
    case Key::Action:
    case Key::LeftSoft: Choose(); return true;
    case Key::RightSoft:
    case Key::Back:
      if (animation_) animation_->Stop();
      stack_.Remove(this);
      return true;
    default: return true;
  }
}

std::optional<Key> SmileyPicker::KeyForClick(int x, int y) const {
  return SoftKeyBar::KeyAt(SoftKeyBar::Area(screen_.width, screen_.height), x, y);
}

void SmileyPicker::Paint(Painter& painter) {
  const Look& look = DefaultLook();
  const Rect softKeys = SoftKeyBar::Area(screen_.width, screen_.height);
  const Rect client{0, 0, screen_.width, softKeys.y};
  painter.Fill(client, colours_.smileyBackground.value_or(look.background));
  PaintAligned(painter, colours_.smileyBackgroundImage, client, colours_.backgroundAlign);
  const platform::Font* font = TextFont();
  const auto& smileys = table_.Smileys();
  const Color selection = colours_.smileySelection.value_or(look.text);

  if (grid_) {
    const bool describe = table_.HasDescriptions() && font != nullptr;
    const Rect area{0, 0, client.width, client.height - (describe ? LineHeight() : 0)};
    const int visibleRows = std::max(1, area.height / cellHeight_);
    const int row = static_cast<int>(selected_) / columns_;
    firstRow_ = std::clamp(firstRow_, row - visibleRows + 1, row);
    const int left = (area.width - columns_ * cellWidth_) / 2;
    Painter::Scope scope(painter, area);
    for (size_t i = static_cast<size_t>(firstRow_ * columns_); i < smileys.size(); ++i) {
      const int cellRow = static_cast<int>(i) / columns_ - firstRow_;
      if (cellRow >= visibleRows) break;
      const Rect cell{left + static_cast<int>(i) % columns_ * cellWidth_, cellRow * cellHeight_, cellWidth_,
                      cellHeight_};
      if (i == selected_) painter.Frame({cell.x + 1, cell.y + 1, cell.width - 2, cell.height - 2}, selection);
      const auto& image = smileys[i].image;
      if (image && image->Decode()) {
        const int frame = animation_ && animationItem_[i] != SIZE_MAX ? animation_->CurrentFrame(animationItem_[i]) : 0;
        painter.Image(*image, cell.x + (cell.width - image->Width()) / 2, cell.y + (cell.height - image->Height()) / 2,
                      frame);
      }
    }
    if (describe && selected_ < smileys.size()) {
      const Color text = colours_.smileyDescription.value_or(look.text);
      Painter::Scope line(painter, {0, area.height, client.width, client.height - area.height});
      painter.Text(*font, kPadding, 1, smileys[selected_].description, text);
    }
  } else if (font != nullptr) {
    // A list: the title, then one smiley's text and description a line.
    const int line = LineHeight();
    painter.Fill({0, 0, client.width, line}, look.boxCaption);
    painter.Text(*font, kPadding, 1, labels_.title, look.boxCaptionText);
    const Rect area{0, line, client.width, client.height - line};
    const int visible = std::max(1, area.height / line);
    firstRow_ = std::clamp(firstRow_, static_cast<int>(selected_) - visible + 1, static_cast<int>(selected_));
    Painter::Scope scope(painter, area);
    for (int i = firstRow_; i < static_cast<int>(smileys.size()) && i - firstRow_ < visible; ++i) {
      const int top = (i - firstRow_) * line;
      const bool chosen = static_cast<size_t>(i) == selected_;
      if (chosen) painter.Fill({0, top, area.width, line}, look.menuSelection);
      const auto& smiley = smileys[static_cast<size_t>(i)];
      std::u16string text = smiley.text;
      if (!smiley.description.empty()) text += u"  " + smiley.description;
      painter.Text(*font, kPadding, top + 1, text, chosen ? look.menuSelectedText : look.menuText);
    }
  }
  SoftKeyBar::Paint(painter, softKeys, labels_.choose, labels_.cancel);
}

}  // namespace quelt::ui
