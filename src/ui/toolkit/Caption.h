#pragma once

#include <string_view>

#include "platform/screen/Geometry.h"

namespace quelt::ui {

class Painter;

// The strip across the top of a full-screen window with its title; its height (0 when no title
// font could be opened).
int PaintTitleStrip(Painter& painter, int width, std::u16string_view title);
[[nodiscard]] int TitleStripHeight();

// A box over the screen (a message, a question): its background, frame and caption strip.
void PaintCaptionedBox(Painter& painter, const platform::Rect& box, std::u16string_view caption, int padding);
[[nodiscard]] int BoxCaptionHeight();

}  // namespace quelt::ui
