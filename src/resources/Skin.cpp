#include "resources/Skin.h"

#include "core/XmlDocument.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"
#include "resources/SetLocator.h"

namespace quelt::resources {
namespace {

constexpr uint64_t kMaxSetFileBytes = 4u << 20;

std::optional<SkinData> ReadSkinFile(const std::filesystem::path& path, const std::filesystem::path& folder) {
  const auto bytes = platform::ReadWholeFile(path, kMaxSetFileBytes);
  return bytes ? ParseSkin(*bytes, folder) : std::nullopt;
}

void WriteFont(core::XmlNode& section, const SkinOverride::Font& font) {
  if (!font.name.empty()) section.AppendElement("fontname").SetText(font.name);
  if (font.size != 0) section.AppendElement("fontsize").SetText(platform::AsciiToUtf16(std::to_string(font.size)));
  if (font.weight != 0) section.AppendElement("fontbold").SetText(font.weight == kBoldWeight ? u"1" : u"0");
}

}  // namespace

bool Skin::Load(const std::filesystem::path& kindFolder, const std::u16string& file) {
  *this = Skin();
  const auto folder = FindSetFolder(kindFolder, file);
  if (!folder) return false;
  const std::filesystem::path name(platform::Utf16ToUtf8(file));
  auto values = ReadSkinFile(*folder / name, *folder);
  if (!values) return false;
  values_ = std::move(*values);
  folder_ = *folder;
  file_ = name;
  if (const auto bytes = platform::ReadWholeFile(OverridePath(), kMaxSetFileBytes)) {
    override_ = ParseSkinOverride(*bytes).value_or(SkinOverride{});
  }
  effective_ = ApplyOverride(values_, override_);
  return true;
}

void Skin::SetOverride(SkinOverride values) {
  override_ = std::move(values);
  effective_ = ApplyOverride(values_, override_);
}

std::filesystem::path Skin::OverridePath() const { return folder_ / ("Override." + file_.string()); }

bool Skin::SaveOverride() const {
  if (folder_.empty()) return false;
  core::XmlDocument document;
  core::XmlNode root = document.CreateRoot("skin");
  core::XmlNode contacts = root.AppendElement("contactlist");
  core::XmlNode status = root.AppendElement("status");
  core::XmlNode toolbar = root.AppendElement("toolbar");
  core::XmlNode chat = root.AppendElement("chat");
  core::XmlNode userInfo = root.AppendElement("userinfo");
  const auto number = [](int value) { return platform::AsciiToUtf16(std::to_string(value)); };
  if (override_.rowHeight != 0) contacts.AppendElement("contactheight").SetText(number(override_.rowHeight));
  WriteFont(contacts, override_.contactFont);
  WriteFont(status, override_.statusFont);
  if (override_.toolbarHeight != -1) toolbar.AppendElement("height").SetText(number(override_.toolbarHeight));
  if (override_.entryLines != 0) chat.AppendElement("msgareaheight").SetText(number(override_.entryLines));
  WriteFont(chat, override_.chatFont);
  WriteFont(userInfo, override_.userInfoFont);
  return document.Save(OverridePath());
}

}  // namespace quelt::resources
