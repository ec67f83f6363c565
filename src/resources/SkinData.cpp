#include "resources/SkinData.h"

#include <algorithm>

#include "core/XmlDocument.h"
#include "platform/CaseMapping.h"
#include "platform/TextCodec.h"
#include "platform/screen/Image.h"

namespace quelt::resources {
namespace {

bool NameIs(std::string_view name, std::string_view upper) {
  return std::equal(name.begin(), name.end(), upper.begin(), upper.end(),
                    [](char a, char b) { return platform::ToUpperCase(static_cast<char16_t>(a)) == b; });
}

// Reads the values below one element; every reader leaves its target alone when the element is
// missing or its text is not acceptable.
class SectionReader {
 public:
  SectionReader(core::XmlNode section, const std::filesystem::path& setFolder)
      : section_(std::move(section)), setFolder_(setFolder) {}

  std::optional<std::u16string> Text(std::string_view name) const {
    if (!section_) return std::nullopt;
    const core::XmlNode element = section_.SelectFirst(name);
    if (!element) return std::nullopt;
    return element.Text();
  }
  void Color(std::string_view name, SkinColor& target) const {
    if (const auto text = Text(name)) target = ParseSkinColor(*text, target);
  }
  void Integer(std::string_view name, int& target) const {
    if (const auto text = Text(name)) target = ParseSkinInteger(*text, target);
  }
  void Align(std::string_view name, Alignment& target) const {
    if (const auto text = Text(name)) target = ParseSkinAlignment(*text, target);
  }
  void Font(std::string_view prefix, SkinFont& target) const {
    const std::string base(prefix);
    if (const auto text = Text(base + "name"); text && !text->empty()) target.name = *text;
    Integer(base + "size", target.size);
    if (const auto text = Text(base + "bold")) target.weight = ParseSkinWeight(*text, target.weight);
  }
  void Picture(std::string_view name, ImagePtr& target, platform::Image::Mode mode) const {
    const auto text = Text(name);
    if (!text || text->empty()) return;
    if (const auto path = SetImagePath(setFolder_, *text)) target = std::make_shared<platform::Image>(*path, mode);
  }
  void Picture(std::string_view name, ImagePtr& target) const {
    Picture(name, target, platform::Image::Mode::TransparentKey);
  }
  void Background(std::string_view name, ImagePtr& target) const {
    Picture(name, target, platform::Image::Mode::Opaque);
  }

 private:
  core::XmlNode section_;
  const std::filesystem::path& setFolder_;
};

void ReadPaneOrder(const core::XmlNode& root, std::vector<Pane>& order) {
  std::vector<Pane> named;
  for (const core::XmlNode& child : root.Children()) {
    const std::string name = child.Name();
    std::optional<Pane> pane;
    if (NameIs(name, "CONTACTLIST")) pane = Pane::ContactList;
    if (NameIs(name, "STATUS")) pane = Pane::Status;
    if (NameIs(name, "TOOLBAR")) pane = Pane::Toolbar;
    if (pane && std::find(named.begin(), named.end(), *pane) == named.end()) named.push_back(*pane);
    if (named.size() == 3) break;
  }
  for (Pane pane : {Pane::ContactList, Pane::Status, Pane::Toolbar}) {
    if (std::find(named.begin(), named.end(), pane) == named.end()) named.push_back(pane);
  }
  order = std::move(named);
}

void ReadOverrideFont(const SectionReader& section, SkinOverride::Font& font) {
  if (const auto text = section.Text("fontname")) font.name = *text;
  if (const auto text = section.Text("fontsize")) font.size = ParseSkinInteger(*text, 0);
  if (const auto text = section.Text("fontbold")) font.weight = ParseSkinWeight(*text, 0);
}

void OverrideFont(const SkinOverride::Font& font, SkinFont& target) {
  if (!font.name.empty()) target.name = font.name;
  if (font.size != 0) target.size = font.size;
  if (font.weight != 0) target.weight = font.weight;
}

}  // namespace

std::optional<std::filesystem::path> SetImagePath(const std::filesystem::path& setFolder, std::u16string_view name) {
  std::u16string slashed(name);
  std::replace(slashed.begin(), slashed.end(), u'\\', u'/');
  const std::filesystem::path relative(platform::Utf16ToUtf8(slashed));
  if (relative.empty() || relative.is_absolute() || relative.has_root_name() || relative.has_root_directory()) {
    return std::nullopt;
  }
  for (const auto& part : relative) {
    if (part == "..") return std::nullopt;
  }
  return setFolder / relative;
}

std::optional<SkinData> ParseSkin(std::span<const uint8_t> bytes, const std::filesystem::path& setFolder) {
  core::XmlDocument document;
  if (!document.LoadBytes(bytes)) return std::nullopt;
  const core::XmlNode root = document.Root();
  if (!root || root.Name() != "skin") return std::nullopt;

  SkinData skin;
  const SectionReader top(root, setFolder);
  if (const auto text = top.Text("desc")) skin.description = *text;
  top.Color("bgcolor", skin.main.background);
  top.Background("bgimage", skin.main.backgroundImage);
  top.Align("bgimage_align", skin.main.backgroundAlign);

  auto& list = skin.contactList;
  const SectionReader contacts(root.SelectFirst("contactlist"), setFolder);
  contacts.Color("bgcolor", list.background);
  contacts.Background("bgimage", list.backgroundImage);
  contacts.Align("bgimage_align", list.backgroundAlign);
  contacts.Color("onlinecolor", list.online);
  contacts.Color("offlinecolor", list.offline);
  contacts.Color("selbgcolor", list.selectedFill);
  contacts.Color("selbordercolor", list.selectedBorder);
  contacts.Integer("contactheight", list.rowHeight);
  contacts.Font("font", list.font);
  contacts.Picture("chatimage", list.chatImage);
  contacts.Picture("msgimage", list.messageImage);
  contacts.Picture("typingimage", list.typingImage);
  contacts.Picture("authimage", list.authImage);

  const SectionReader status(root.SelectFirst("status"), setFolder);
  status.Color("fgcolor", skin.status.text);
  status.Integer("height", skin.status.height);
  status.Integer("textoffset", skin.status.textOffset);
  status.Font("font", skin.status.font);

  auto& toolbar = skin.toolbar;
  const SectionReader bar(root.SelectFirst("toolbar"), setFolder);
  bar.Color("bgcolor", toolbar.background);
  bar.Color("selbgcolor", toolbar.pressedFill);
  bar.Integer("height", toolbar.height);
  const SectionReader images(root.SelectFirst("toolbarimages"), setFolder);
  images.Integer("size", toolbar.imageSize);
  for (size_t digit = 0; digit < toolbar.digits.size(); ++digit) {
    images.Picture("b" + std::to_string(digit), toolbar.digits[digit]);
  }
  for (size_t i = 0; i < kToolbarImageNames.size(); ++i) images.Picture(kToolbarImageNames[i], toolbar.actions[i]);

  auto& chat = skin.chat;
  const SectionReader talk(root.SelectFirst("chat"), setFolder);
  talk.Color("bgcolor", chat.background);
  talk.Background("bgimage", chat.backgroundImage);
  talk.Align("bgimage_align", chat.backgroundAlign);
  talk.Color("selfcolor", chat.own);
  talk.Color("selfselcolor", chat.ownSelected);
  talk.Color("buddycolor", chat.buddy);
  talk.Color("buddyselcolor", chat.buddySelected);
  talk.Color("filebgcolor", chat.fileBackground);
  talk.Color("fileprogresscolor", chat.fileProgress);
  talk.Color("filenamecolor", chat.fileName);
  talk.Color("selmsgcolor", chat.selectedMessageFill);
  talk.Color("selbordercolor", chat.selectedBorder);
  talk.Color("sellinkbgcolor", chat.selectedLinkFill);
  talk.Color("sellinkcolor", chat.selectedLinkText);
  talk.Color("msgareatextcolor", chat.entryText);
  talk.Color("msgareabgcolor", chat.entryBackground);
  talk.Integer("msgareaheight", chat.entryLines);
  talk.Integer("smileiconspacing", chat.smileySpacing);
  talk.Color("smilebgcolor", chat.smileyBackground);
  talk.Color("smileselcolor", chat.smileySelection);
  talk.Color("smiledesccolor", chat.smileyDescription);
  talk.Background("smilebgimage", chat.smileyBackgroundImage);
  talk.Font("font", chat.font);
  talk.Font("filefont", chat.fileFont);

  auto& downloads = skin.downloads;
  const SectionReader loads(root.SelectFirst("downloads"), setFolder);
  loads.Integer("rowheight", downloads.rowHeight);
  loads.Color("textcolor", downloads.text);
  loads.Color("bgcolor", downloads.background);
  loads.Color("selbordercolor", downloads.selectedBorder);
  loads.Color("progresscolor", downloads.progress);
  loads.Font("font", downloads.font);
  for (size_t i = 0; i < downloads.buttons.size(); ++i) {
    loads.Picture("b" + std::to_string(i + 1), downloads.buttons[i]);
  }

  SectionReader(root.SelectFirst("userinfo"), setFolder).Font("font", skin.userInfo.font);
  ReadPaneOrder(root, skin.paneOrder);
  return skin;
}

std::optional<SkinOverride> ParseSkinOverride(std::span<const uint8_t> bytes) {
  core::XmlDocument document;
  if (!document.LoadBytes(bytes)) return std::nullopt;
  const core::XmlNode root = document.Root();
  if (!root || root.Name() != "skin") return std::nullopt;
  const std::filesystem::path none;
  SkinOverride values;
  const SectionReader contacts(root.SelectFirst("contactlist"), none);
  if (const auto text = contacts.Text("contactheight")) values.rowHeight = ParseSkinInteger(*text, 0);
  ReadOverrideFont(contacts, values.contactFont);
  ReadOverrideFont(SectionReader(root.SelectFirst("status"), none), values.statusFont);
  const SectionReader chat(root.SelectFirst("chat"), none);
  if (const auto text = chat.Text("msgareaheight")) values.entryLines = ParseSkinInteger(*text, 0);
  ReadOverrideFont(chat, values.chatFont);
  if (const auto text = SectionReader(root.SelectFirst("toolbar"), none).Text("height")) {
    values.toolbarHeight = ParseSkinInteger(*text, -1);
  }
  ReadOverrideFont(SectionReader(root.SelectFirst("userinfo"), none), values.userInfoFont);
  return values;
}

SkinData ApplyOverride(SkinData skin, const SkinOverride& override) {
  if (override.rowHeight != 0) skin.contactList.rowHeight = override.rowHeight;
  OverrideFont(override.contactFont, skin.contactList.font);
  OverrideFont(override.statusFont, skin.status.font);
  if (override.entryLines != 0) skin.chat.entryLines = override.entryLines;
  OverrideFont(override.chatFont, skin.chat.font);
  if (override.toolbarHeight != -1) skin.toolbar.height = override.toolbarHeight;
  OverrideFont(override.userInfoFont, skin.userInfo.font);
  return skin;
}

std::vector<Pane> VisiblePanes(const SkinData& effective) {
  std::vector<Pane> panes;
  for (Pane pane : effective.paneOrder) {
    if (pane == Pane::Status && effective.status.height <= 0) continue;
    if (pane == Pane::Toolbar && effective.toolbar.height <= 0) continue;
    panes.push_back(pane);
  }
  return panes;
}

}  // namespace quelt::resources
