#include "ui/toolkit/Caption.h"

#include "platform/screen/Font.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/Painter.h"

namespace quelt::ui {

int TitleStripHeight() {
  const auto& title = DefaultLookFonts().title;
  return title ? title->Height() + 4 : 0;
}

int PaintTitleStrip(Painter& painter, int width, std::u16string_view title) {
  const auto& font = DefaultLookFonts().title;
  if (!font) return 0;
  const int height = TitleStripHeight();
  painter.Fill({0, 0, width, height}, DefaultLook().boxCaption);
  painter.Text(*font, 3, 2, title, DefaultLook().boxCaptionText);
  return height;
}

int BoxCaptionHeight() {
  const auto& title = DefaultLookFonts().title;
  return (title ? title->Height() : 16) + 4;
}

void PaintCaptionedBox(Painter& painter, const platform::Rect& box, std::u16string_view caption, int padding) {
  const Look& look = DefaultLook();
  painter.Fill(box, look.menuBackground);
  painter.Frame(box, look.rule);
  const platform::Rect strip{box.x + 1, box.y + 1, box.width - 2, BoxCaptionHeight() - 1};
  painter.Fill(strip, look.boxCaption);
  Painter::Scope scope(painter, strip);
  if (const auto& title = DefaultLookFonts().title) painter.Text(*title, padding, 1, caption, look.boxCaptionText);
}

}  // namespace quelt::ui
