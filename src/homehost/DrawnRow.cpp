#include "homehost/DrawnRow.h"

#include <algorithm>

#include "platform/TextCodec.h"
#include "platform/screen/Font.h"
#include "platform/screen/Surface.h"

namespace quelt::home {

DrawnRow::DrawnRow(const RowFormat& format, pugi::xml_node element) : format_(format) {
  if (const pugi::xml_attribute height = element.attribute("height")) {
    height_ = std::clamp(height.as_int(0), 0, 1000);
  }
}

platform::Color DrawnRow::PaintFrame(platform::Surface& screen, const platform::Rect& area, bool selected) const {
  const int rule = std::min(format_.ruleWidth, area.height);
  const platform::Rect body{area.x, area.y, area.width, area.height - rule};
  if (const auto fill = selected ? format_.selectedBackground : format_.background) screen.Fill(body, *fill);
  if (rule > 0 && format_.rule) screen.Fill({area.x, area.y + area.height - rule, area.width, rule}, *format_.rule);
  return selected ? format_.selectedText : format_.text;
}

platform::Rect DrawnRow::TextArea(const platform::Rect& area) const {
  const int left = std::min(format_.paddingLeft, area.width);
  const int top = std::min(format_.paddingTop, area.height);
  return {area.x + left, area.y + top, area.width - left - std::min(format_.paddingLeft, area.width - left),
          std::max(0, area.height - top - format_.ruleWidth)};
}

const platform::Font* DrawnRow::FontOfSize(int pixelSize, bool bold, std::shared_ptr<platform::Font>& cache) const {
  if (!cache) cache = platform::Font::Open(format_.font.face, pixelSize, bold);
  return cache.get();
}

MissingRow::MissingRow(const RowFormat& format, pugi::xml_node element, platform::Color gray, int naturalHeight)
    : DrawnRow(format, element),
      name_(platform::Utf8ToUtf16(element.attribute("name").as_string())),
      gray_(gray),
      naturalHeight_(naturalHeight) {}

void MissingRow::Paint(platform::Surface& screen, const platform::Rect& area, bool selected) {
  (void)PaintFrame(screen, area, selected);
  const platform::Rect text = TextArea(area);
  if (const auto* font = FontOfSize(format_.font.pixelSize, format_.font.bold, font_)) {
    font->Draw(screen, text.x, text.y, name_, gray_, text);
  }
}

}  // namespace quelt::home
