#pragma once

#include "platform/screen/Geometry.h"

namespace quelt::ui {

class Painter;

// A vertical scroll bar in `area` for content `total` high of which `visible` shows from
// `offset`; nothing when everything shows.
void PaintScrollBar(Painter& painter, const platform::Rect& area, int total, int visible, int offset);

}  // namespace quelt::ui
