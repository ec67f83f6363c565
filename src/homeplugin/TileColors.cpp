#include "homeplugin/TileColors.h"

#include <string>

namespace quelt::home {
namespace {

int DigitValue(char16_t c) {
  if (c >= u'1' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return 0;
}

uint8_t Pair(std::u16string_view value, size_t at) {
  const int high = at < value.size() ? DigitValue(value[at]) : 0;
  const int low = at + 1 < value.size() ? DigitValue(value[at + 1]) : 0;
  return static_cast<uint8_t>(high * 16 + low);
}

}  // namespace

platform::Color ColorFromHash(std::u16string_view value) {
  return platform::Color{Pair(value, 1), Pair(value, 3), Pair(value, 5)};
}

std::optional<platform::Color> ResolveColor(std::u16string_view value, IHomeColors* theme, uint32_t pluginHandle) {
  if (value == u"TRANSPARENT") return std::nullopt;
  if (!value.empty() && value.front() == u'#') return ColorFromHash(value);
  if (theme == nullptr) return std::nullopt;
  const std::u16string name(value);
  HomeColor color;
  if (!Succeeded(theme->GetColor(pluginHandle, name.c_str(), &color))) return std::nullopt;
  return platform::Color{color.r, color.g, color.b};
}

}  // namespace quelt::home
