#include "ui/toolkit/Painter.h"

#include <algorithm>

#include "platform/screen/Font.h"
#include "platform/screen/Image.h"
#include "platform/screen/Surface.h"
#include "ui/toolkit/TextCache.h"

namespace quelt::ui {

Painter::Painter(platform::Surface& target, TextCache& text)
    : target_(target), text_(text), clip_{0, 0, target.Width(), target.Height()} {}

platform::Rect Painter::Clip() const { return {clip_.x - originX_, clip_.y - originY_, clip_.width, clip_.height}; }
int Painter::Width() const { return target_.Width(); }
int Painter::Height() const { return target_.Height(); }

platform::Rect Painter::ToTarget(const platform::Rect& area) const {
  return Intersect({area.x + originX_, area.y + originY_, area.width, area.height}, clip_);
}

void Painter::Fill(const platform::Rect& area, platform::Color color) {
  const platform::Rect clipped = ToTarget(area);
  if (clipped.width > 0 && clipped.height > 0) target_.Fill(clipped, color);
}

void Painter::Frame(const platform::Rect& area, platform::Color color) {
  if (area.width <= 0 || area.height <= 0) return;
  Fill({area.x, area.y, area.width, 1}, color);
  Fill({area.x, area.y + area.height - 1, area.width, 1}, color);
  Fill({area.x, area.y, 1, area.height}, color);
  Fill({area.x + area.width - 1, area.y, 1, area.height}, color);
}

void Painter::Text(const platform::Font& font, int x, int y, std::u16string_view text, platform::Color color) {
  if (clip_.width <= 0 || clip_.height <= 0) return;
  if (const platform::Surface* rendered = text_.Get(font, text, color)) {
    target_.Draw(*rendered, x + originX_, y + originY_, clip_);
  }
}

void Painter::Image(platform::Image& image, int x, int y, int frame) {
  if (clip_.width <= 0 || clip_.height <= 0) return;
  image.Draw(target_, x + originX_, y + originY_, frame, clip_);
}

Painter::Scope::Scope(Painter& painter, const platform::Rect& area)
    : painter_(painter), clip_(painter.clip_), originX_(painter.originX_), originY_(painter.originY_) {
  painter_.clip_ = painter_.ToTarget(area);
  painter_.originX_ += area.x;
  painter_.originY_ += area.y;
}

Painter::Scope::~Scope() {
  painter_.clip_ = clip_;
  painter_.originX_ = originX_;
  painter_.originY_ = originY_;
}

}  // namespace quelt::ui
