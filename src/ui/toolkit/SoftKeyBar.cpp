#include "ui/toolkit/SoftKeyBar.h"

#include "platform/screen/Font.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/Painter.h"

namespace quelt::ui {
namespace {

constexpr int kPadding = 3;
constexpr int kHeightWithoutFont = 20;

}  // namespace

platform::Rect SoftKeyBar::Area(int screenWidth, int screenHeight) {
  const platform::Font* font = DefaultLookFonts().softKeys.get();
  const int height = font != nullptr ? font->Height() + 2 * kPadding : kHeightWithoutFont;
  return {0, screenHeight - height, screenWidth, height};
}

void SoftKeyBar::Paint(Painter& painter, const platform::Rect& area, std::u16string_view left,
                       std::u16string_view right) {
  const Look& look = DefaultLook();
  painter.Fill(area, look.softKeyBar);
  const platform::Font* font = DefaultLookFonts().softKeys.get();
  if (font == nullptr) return;
  const int textY = area.y + (area.height - font->Height()) / 2;
  // The right label keeps its width; the left one has the rest of the bar.
  const int rightWidth = right.empty() ? 0 : font->TextWidth(right);
  const int rightX = area.x + area.width - 2 * kPadding - rightWidth;
  {
    Painter::Scope leftPart(painter, {area.x, area.y, rightX - kPadding - area.x, area.height});
    painter.Text(*font, 2 * kPadding, textY - area.y, left, look.softKeyText);
  }
  painter.Text(*font, rightX, textY, right, look.softKeyText);
}

std::optional<platform::Key> SoftKeyBar::KeyAt(const platform::Rect& area, int x, int y) {
  if (!area.Contains(x, y)) return std::nullopt;
  return x < area.x + area.width / 2 ? platform::Key::LeftSoft : platform::Key::RightSoft;
}

}  // namespace quelt::ui
