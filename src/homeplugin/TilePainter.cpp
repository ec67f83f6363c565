#include "homeplugin/TilePainter.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/screen/Font.h"
#include "platform/screen/Surface.h"

namespace quelt::home {
namespace {

constexpr int kMarkSize = 16;
constexpr int kMarkAdvance = 20;
constexpr int kGap = 3;

// The unread mark: a closed envelope, one bit per pixel, high bit leftmost.
constexpr std::array<uint16_t, kMarkSize> kUnreadMark = {
    0x0000, 0x0000, 0x0000, 0x7FFE, 0x6006, 0x500A, 0x4812, 0x4422,
    0x43C2, 0x4812, 0x500A, 0x6006, 0x7FFE, 0x0000, 0x0000, 0x0000,
};

void PaintMark(platform::Surface& surface, int x, int y, platform::Color color, const platform::Rect& clip) {
  for (int row = 0; row < kMarkSize; ++row) {
    for (int column = 0; column < kMarkSize;) {
      if ((kUnreadMark[row] & (0x8000 >> column)) == 0) {
        ++column;
        continue;
      }
      int run = 1;
      while (column + run < kMarkSize && (kUnreadMark[row] & (0x8000 >> (column + run))) != 0) ++run;
      surface.Fill(platform::Intersect({x + column, y + row, run, 1}, clip), color);
      column += run;
    }
  }
}

class TextRun {
 public:
  TextRun(platform::Surface& surface, const platform::Font& font, platform::Color color, const platform::Rect& clip,
          int x, int y)
      : surface_(surface), font_(font), color_(color), clip_(clip), x_(x), y_(y) {}

  void Text(std::u16string_view text, int gapAfter = 0) {
    font_.Draw(surface_, x_, y_, text, color_, clip_);
    x_ += font_.TextWidth(text) + gapAfter;
  }
  // The mark keeps the normal text colour on a selected row too.
  void MarkIf(bool unread, platform::Color color) {
    if (!unread) return;
    PaintMark(surface_, x_, y_, color, clip_);
    x_ += kMarkAdvance;
  }
  void Advance(int pixels) { x_ += pixels; }

 private:
  platform::Surface& surface_;
  const platform::Font& font_;
  platform::Color color_;
  platform::Rect clip_;
  int x_;
  int y_;
};

}  // namespace

std::u16string ServiceText(bool running, const ServiceTileState& service) {
  if (!running || !service.enabled) return u"Offline";
  std::u16string text = service.text;
  if (service.online != -1) {
    const std::string count = " (" + std::to_string(service.online) + ")";
    text.append(count.begin(), count.end());
  }
  return text;
}

int32_t BorderWidth(const TileSettings& settings) {
  if (settings.showBottomBorder == 2) return 0;
  if (settings.showBottomBorder == 1 && settings.borderWidth == 0) return 1;
  return settings.borderWidth;
}

void PaintTile(platform::Surface& surface, const HomeRect& rect, bool selected, const TileSettings& settings,
               const MessengerTileState& state, const TileLook& look, const platform::Font& font) {
  if (!state.running && settings.autoHeight) return;
  const platform::Rect row{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
  if (row.width <= 0 || row.height <= 0) return;
  // A rule wider than the row stays inside it: the host repaints only the rows that changed.
  const int32_t border = std::clamp(BorderWidth(settings), 0, row.height);
  const platform::Rect body{row.x, row.y, row.width, std::max(0, row.height - border)};
  if (const auto fill = selected ? look.selectedBackground : look.background) surface.Fill(body, *fill);

  TextRun run(surface, font, selected ? look.selectedText : look.text, body, row.x + settings.paddingLeft,
              row.y + settings.paddingTop);
  const bool icq = state.icq.enabled;
  const bool msn = state.msn.enabled;
  if (!state.running) {
    run.Text(u"Offline");
  } else if (!icq && !msn) {
    run.Text(u"Disabled");
  } else {
    if (icq) {
      run.Text(u"ICQ", kGap);
      run.MarkIf(state.icq.unread != 0, look.text);
      run.Text(ServiceText(true, state.icq));
      if (msn) run.Text(u",");
      run.Advance(kGap);
    }
    if (msn) {
      run.Text(u"MSN", kGap);
      run.MarkIf(state.msn.unread != 0, look.text);
      run.Text(ServiceText(true, state.msn), kGap);
    }
  }
  if (border > 0 && look.border) surface.Fill({row.x, row.y + row.height - border, row.width, border}, *look.border);
}

}  // namespace quelt::home
