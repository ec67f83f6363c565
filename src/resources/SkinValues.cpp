#include "resources/SkinValues.h"

#include <algorithm>
#include <limits>

#include "platform/CaseMapping.h"
#include "platform/HexDigit.h"

namespace quelt::resources {
namespace {

using platform::EqualsIgnoringCase;

}  // namespace

SkinColor ParseSkinColor(std::u16string_view text, SkinColor fallback) {
  if (text.empty()) return fallback;
  if (EqualsIgnoringCase(text, u"TRANSPARENT")) return std::nullopt;
  if (text.front() == u'#') text.remove_prefix(1);
  if (text.size() != 6) return fallback;
  uint32_t rgb = 0;
  for (char16_t c : text) {
    const int digit = platform::HexDigitValue(c);
    if (digit < 0) return fallback;
    rgb = rgb << 4 | static_cast<uint32_t>(digit);
  }
  return platform::Color::FromRgb(rgb);
}

int ParseSkinInteger(std::u16string_view text, int fallback) {
  size_t at = 0;
  while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) negative = text[at++] == u'-';
  const size_t digitsStart = at;
  int64_t value = 0;
  while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
    // Saturates instead of wrapping, so a long run of digits cannot turn into a small size.
    value = std::min<int64_t>(value * 10 + (text[at] - u'0'), std::numeric_limits<int>::max());
    ++at;
  }
  if (at == digitsStart) return fallback;
  return static_cast<int>(negative ? -value : value);
}

int ParseSkinWeight(std::u16string_view text, int fallback) {
  if (text == u"0") return kNormalWeight;
  if (text == u"1") return kBoldWeight;
  return fallback;
}

Alignment ParseSkinAlignment(std::u16string_view text, Alignment fallback) {
  if (text.empty()) return {};
  Alignment alignment = fallback;
  switch (platform::ToLowerCase(text[0])) {
    case u'l': alignment.horizontal = HorizontalAlign::Left; break;
    case u'c': alignment.horizontal = HorizontalAlign::Center; break;
    case u'r': alignment.horizontal = HorizontalAlign::Right; break;
    default: break;
  }
  switch (text.size() > 1 ? platform::ToLowerCase(text[1]) : u'\0') {
    case u't': alignment.vertical = VerticalAlign::Top; break;
    case u'c': alignment.vertical = VerticalAlign::Center; break;
    case u'b': alignment.vertical = VerticalAlign::Bottom; break;
    default: break;
  }
  return alignment;
}

}  // namespace quelt::resources
