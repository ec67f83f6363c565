#include "ui/SoftKeyBar.h"

#include "platform/screen/Font.h"
#include "platform/screen/Surface.h"
#include "ui/DefaultLook.h"

namespace quelt::ui {
namespace {
constexpr int kPadding = 3;
constexpr int kHeightWithoutFont = 20;
}  // namespace

platform::Rect SoftKeyBar::Area(int screenWidth, int screenHeight, const platform::Font* font) {
  const int height = font != nullptr ? font->Height() + 2 * kPadding : kHeightWithoutFont;
  return {0, screenHeight - height, screenWidth, height};
}

void SoftKeyBar::Paint(platform::Surface& surface, const platform::Rect& area, const Look& look,
                       const platform::Font* font, std::u16string_view left, std::u16string_view right) {
  surface.Fill(area, look.softKeyBar);
  if (font == nullptr) return;
  const int textY = area.y + (area.height - font->Height()) / 2;
  const int half = area.width / 2;
  font->Draw(surface, area.x + 2 * kPadding, textY, left, look.softKeyText, {area.x, area.y, half, area.height});
  const int rightX = area.x + area.width - 2 * kPadding - font->TextWidth(right);
  font->Draw(surface, rightX, textY, right, look.softKeyText, {area.x + half, area.y, area.width - half, area.height});
}

std::optional<platform::Key> SoftKeyBar::KeyAt(const platform::Rect& area, int x, int y) {
  if (!area.Contains(x, y)) return std::nullopt;
  return x < area.x + area.width / 2 ? platform::Key::LeftSoft : platform::Key::RightSoft;
}

}  // namespace quelt::ui
