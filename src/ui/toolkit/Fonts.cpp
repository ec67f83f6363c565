#include "ui/toolkit/Fonts.h"

#include <map>
#include <mutex>
#include <tuple>

#include "platform/TextCodec.h"
#include "platform/screen/Font.h"
#include "resources/SkinValues.h"

namespace quelt::ui {

std::shared_ptr<platform::Font> OpenFont(const std::u16string& face, int pixelSize, bool bold) {
  static std::mutex mutex;
  static std::map<std::tuple<std::u16string, int, bool>, std::shared_ptr<platform::Font>> fonts;
  std::lock_guard lock(mutex);
  const auto key = std::make_tuple(face, pixelSize, bold);
  if (const auto found = fonts.find(key); found != fonts.end()) return found->second;
  auto font = platform::Font::Open(platform::Utf16ToUtf8(face), pixelSize, bold);
  fonts.emplace(key, font);  // a failure too, so it is not tried on every paint
  return font;
}

std::shared_ptr<platform::Font> OpenFont(const resources::SkinFont& font) {
  return OpenFont(font.name, font.size, font.weight >= resources::kBoldWeight);
}

}  // namespace quelt::ui
