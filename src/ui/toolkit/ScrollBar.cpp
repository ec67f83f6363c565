#include "ui/toolkit/ScrollBar.h"

#include <algorithm>

#include "ui/toolkit/Look.h"
#include "ui/toolkit/Painter.h"

namespace quelt::ui {

void PaintScrollBar(Painter& painter, const platform::Rect& area, int total, int visible, int offset) {
  if (total <= visible || total <= 0 || area.height <= 0) return;
  const Look& look = DefaultLook();
  painter.Fill(area, look.scrollTrack);
  const int thumb = std::max(4, area.height * visible / total);
  const int room = area.height - thumb;
  const int top = total > visible ? room * std::clamp(offset, 0, total - visible) / (total - visible) : 0;
  painter.Fill({area.x, area.y + top, area.width, thumb}, look.scrollThumb);
}

}  // namespace quelt::ui
