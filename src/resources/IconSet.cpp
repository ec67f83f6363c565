#include "resources/IconSet.h"

#include "core/XmlDocument.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"
#include "platform/screen/Image.h"
#include "resources/SetLocator.h"

namespace quelt::resources {

std::optional<IconSetData> ParseIconSet(std::span<const uint8_t> bytes, const std::filesystem::path& setFolder) {
  core::XmlDocument document;
  if (!document.LoadBytes(bytes)) return std::nullopt;
  const core::XmlNode root = document.Root();
  if (!root || root.Name() != "icons") return std::nullopt;
  IconSetData set;
  if (const core::XmlNode desc = root.SelectFirst("desc")) set.description = desc.Text();
  for (size_t i = 0; i < kIconNames.size(); ++i) {
    const core::XmlNode element = root.SelectFirst(kIconNames[i]);
    if (!element) continue;
    const std::u16string name = element.Text();
    if (name.empty()) continue;
    if (const auto path = SetImagePath(setFolder, name)) {
      set.icons[i] = std::make_shared<platform::Image>(*path, platform::Image::Mode::TransparentKey);
    }
  }
  return set;
}

std::optional<IconSetData> LoadIconSet(const std::filesystem::path& kindFolder, const std::u16string& file) {
  const auto folder = FindSetFolder(kindFolder, file);
  if (!folder) return std::nullopt;
  const auto bytes = platform::ReadWholeFile(*folder / platform::Utf16ToUtf8(file), 4u << 20);
  return bytes ? ParseIconSet(*bytes, *folder) : std::nullopt;
}

}  // namespace quelt::resources
