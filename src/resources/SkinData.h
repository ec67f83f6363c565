#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "resources/SkinValues.h"

namespace quelt::platform {
class Image;
}

namespace quelt::resources {

using ImagePtr = std::shared_ptr<platform::Image>;  // null: no image

// A picture the set names, relative to its folder ("\" taken as "/"); nothing for an absolute
// name or one that climbs out of the folder.
[[nodiscard]] std::optional<std::filesystem::path> SetImagePath(const std::filesystem::path& setFolder,
                                                                std::u16string_view name);

enum class Pane { ContactList, Status, Toolbar };

// The toolbar's pictures for key actions and their toggle states, in this order.
inline constexpr std::array<std::string_view, 15> kToolbarImageNames = {
    "quit",         "showoffline", "hideoffline", "soundon", "soundoff", "vibroon",  "vibrooff", "scrollingon",
    "scrollingoff", "chat",        "info",        "find",    "account",  "settings", "qsearch"};
inline constexpr int kDefaultToolbarImageSize = 16;

// Everything a skin file says, with the built-in values for what it leaves out.
struct SkinData {
  std::u16string description = u"Default Skin";

  struct Main {
    SkinColor background = platform::Color::FromRgb(0xEBF5FF);
    ImagePtr backgroundImage;
    Alignment backgroundAlign;
  } main;

  struct ContactList {
    SkinColor background = platform::Color::FromRgb(0xEBF5FF);
    ImagePtr backgroundImage;
    Alignment backgroundAlign;
    SkinColor online = platform::Color::FromRgb(0x0000FF);
    SkinColor offline = platform::Color::FromRgb(0xDC0000);
    SkinColor selectedFill = platform::Color::FromRgb(0xCDEBFF);
    SkinColor selectedBorder = platform::Color::FromRgb(0x4060A0);
    int rowHeight = 17;
    SkinFont font{u"Nina", 14, kNormalWeight};
    ImagePtr chatImage, messageImage, typingImage, authImage;
  } contactList;

  struct Status {
    SkinColor text = platform::Color::FromRgb(0x000000);
    int height = 10;  // 0: no status pane
    int textOffset = -2;
    SkinFont font{u"Nina", 12, kNormalWeight};
  } status;

  struct Toolbar {
    SkinColor background = platform::Color::FromRgb(0xEBF5FF);
    SkinColor pressedFill = platform::Color::FromRgb(0xCDEBFF);
    int height = 0;  // 0: no toolbar
    int imageSize = kDefaultToolbarImageSize;
    std::array<ImagePtr, 10> digits;                          // overlays for the keys 0 to 9
    std::array<ImagePtr, kToolbarImageNames.size()> actions;  // by kToolbarImageNames
  } toolbar;

  struct Chat {
    SkinColor background = platform::Color::FromRgb(0xEBF5FF);
    ImagePtr backgroundImage;
    Alignment backgroundAlign{HorizontalAlign::Right, VerticalAlign::Top};
    SkinColor own = platform::Color::FromRgb(0x0000FF);
    SkinColor ownSelected = platform::Color::FromRgb(0x0000AA);
    SkinColor buddy = platform::Color::FromRgb(0xFF0000);
    SkinColor buddySelected = platform::Color::FromRgb(0xAA0000);
    SkinColor fileBackground = std::nullopt;
    SkinColor fileProgress = platform::Color::FromRgb(0xA0A0FF);
    SkinColor fileName = platform::Color::FromRgb(0x2828FF);
    SkinColor selectedMessageFill = platform::Color::FromRgb(0xB090E0);
    SkinColor selectedBorder = std::nullopt;
    SkinColor selectedLinkFill = std::nullopt;
    SkinColor selectedLinkText = platform::Color::FromRgb(0xFFFF00);
    SkinColor entryText = platform::Color::FromRgb(0x000000);
    SkinColor entryBackground = platform::Color::FromRgb(0xFFFFFF);
    int entryLines = 3;
    int smileySpacing = 0;
    SkinColor smileyBackground = platform::Color::FromRgb(0xEBF5FF);
    SkinColor smileySelection = platform::Color::FromRgb(0x000000);
    SkinColor smileyDescription = platform::Color::FromRgb(0x205064);
    ImagePtr smileyBackgroundImage;
    SkinFont font{u"Nina", 15, kNormalWeight};
    SkinFont fileFont{u"Nina", 14, kNormalWeight};
  } chat;

  struct Downloads {
    int rowHeight = 20;
    SkinColor text = platform::Color::FromRgb(0x000000);
    SkinColor background = platform::Color::FromRgb(0xFFFFFF);
    SkinColor selectedBorder = platform::Color::FromRgb(0x4060A0);
    SkinColor progress = platform::Color::FromRgb(0xE0C0E0);
    SkinFont font{u"Nina", 8, kNormalWeight};
    std::array<ImagePtr, 4> buttons;  // b1 to b4
  } downloads;

  struct UserInfo {
    SkinFont font{u"Nina", 9, kNormalWeight};
  } userInfo;

  // All three panes: those the skin names in the order it first names them, then the others in
  // this default order.
  std::vector<Pane> paneOrder = {Pane::ContactList, Pane::Status, Pane::Toolbar};
};

// The user's own sizes and fonts, kept beside the skin. Zero, an empty name and -1 for the
// toolbar height mean "not overridden".
struct SkinOverride {
  struct Font {
    std::u16string name;
    int size = 0;
    int weight = 0;
    bool operator==(const Font&) const = default;
  };
  int rowHeight = 0;
  Font contactFont;
  Font statusFont;
  int entryLines = 0;
  Font chatFont;
  int toolbarHeight = -1;
  Font userInfoFont;
  bool operator==(const SkinOverride&) const = default;
};

// A skin document's values; images are named, not decoded. Nothing when the bytes are no XML
// document with a `skin` root.
[[nodiscard]] std::optional<SkinData> ParseSkin(std::span<const uint8_t> bytes, const std::filesystem::path& setFolder);
// An override document: only the fifteen values it may hold are read.
[[nodiscard]] std::optional<SkinOverride> ParseSkinOverride(std::span<const uint8_t> bytes);
// The skin's values with the overrides in their place.
[[nodiscard]] SkinData ApplyOverride(SkinData skin, const SkinOverride& override);
// The panes to stack, top to bottom: the document order without panes of height 0.
[[nodiscard]] std::vector<Pane> VisiblePanes(const SkinData& effective);

}  // namespace quelt::resources
