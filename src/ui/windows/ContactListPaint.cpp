#include "ui/windows/ContactListPaint.h"

#include <algorithm>
#include <array>

#include "platform/screen/Font.h"
#include "platform/screen/Image.h"
#include "resources/LookSet.h"
#include "ui/toolkit/Fonts.h"
#include "ui/toolkit/Painter.h"

namespace quelt::ui {
namespace {

using platform::Color;
using platform::Rect;
using resources::Icon;
using resources::ImagePtr;

constexpr int kIconX = 1;
constexpr int kMissingIconWidth = 16;
constexpr int kIconGap = 2;
constexpr int kMissingIndicatorWidth = 18;

// The highlight under typed keys: the selection colour, a fifth darker.
Color Darker(Color color) {
  return Color{static_cast<uint8_t>(color.r * 4 / 5), static_cast<uint8_t>(color.g * 4 / 5),
               static_cast<uint8_t>(color.b * 4 / 5)};
}

// Draws the image vertically centred in the row at x; its width, or `missing` without one.
int PaintCentred(Painter& painter, const ImagePtr& image, int x, const Rect& row, int missing) {
  if (!image || !image->Decode()) return missing;
  painter.Image(*image, x, row.y + (row.height - image->Height()) / 2);
  return image->Width();
}

// The indicator slots from the right edge inwards; returns where the leftmost one begins.
int PaintIndicators(Painter& painter, const resources::SkinData::ContactList& list, const Rect& row,
                    const std::array<bool, 4>& shown) {
  const std::array<const ImagePtr*, 4> images = {&list.chatImage, &list.messageImage, &list.typingImage,
                                                 &list.authImage};
  int right = row.x + row.width - 2;
  for (size_t i = 0; i < images.size(); ++i) {
    const ImagePtr& image = *images[i];
    const bool usable = image && image->Decode();
    const int width = usable ? image->Width() : kMissingIndicatorWidth;
    if (shown[i] && usable) painter.Image(*image, right - width, row.y + (row.height - image->Height()) / 2);
    right -= width + kIconGap;
  }
  return right;
}

void PaintName(Painter& painter, const platform::Font& font, const Rect& row, int x, const std::u16string& text,
               std::optional<Color> color, const std::optional<resources::TextMatch>& highlight,
               const resources::SkinColor& selectedFill) {
  if (!color || text.empty()) return;
  Painter::Scope clip(painter, row);
  const int y = (row.height - font.Height()) / 2;
  x -= row.x;
  if (!highlight || highlight->length == 0 || highlight->start >= text.size()) {
    painter.Text(font, x, y, text, *color);
    return;
  }
  // Three runs: before the typed keys, the keys on their own background, and the rest.
  const std::u16string_view all(text);
  const std::u16string_view before = all.substr(0, highlight->start);
  const std::u16string_view matched = all.substr(highlight->start, highlight->length);
  const std::u16string_view after = all.substr(std::min(all.size(), highlight->start + highlight->length));
  const int beforeWidth = font.TextWidth(before);
  const int matchedWidth = font.TextWidth(matched);
  painter.Text(font, x, y, before, *color);
  if (selectedFill) painter.Fill({x + beforeWidth, y, matchedWidth, font.Height()}, Darker(*selectedFill));
  painter.Text(font, x + beforeWidth, y, matched, *color);
  painter.Text(font, x + beforeWidth + matchedWidth, y, after, *color);
}

std::u16string ShownName(const std::u16string& name, const std::u16string& id) { return name.empty() ? id : name; }

}  // namespace

ContactListLook ContactListLook::Current(const resources::LookSet& looks) {
  ContactListLook look{.skin = looks.CurrentSkin(), .icons = looks.CurrentIcons()};
  look.listFont = OpenFont(look.Values().contactList.font);
  look.statusFont = OpenFont(look.Values().status.font);
  return look;
}

Icon IconFor(Protocol protocol, int32_t presence) {
  if (protocol == Protocol::Msn) {
    switch (presence) {
      case -1: return Icon::MsnOffline;
      case 2: return Icon::MsnBusy;
      case 3: return Icon::MsnIdle;
      case 4: return Icon::MsnBrb;
      case 5: return Icon::MsnAway;
      case 6: return Icon::MsnPhone;
      case 7: return Icon::MsnLunch;
      default: return Icon::MsnOnline;
    }
  }
  if (presence == -1) return Icon::Offline;
  const uint32_t bits = static_cast<uint32_t>(presence) & 0x1FF;
  constexpr std::array<std::pair<uint32_t, Icon>, 6> kByPriority = {{{0x02, Icon::Dnd},
                                                                     {0x10, Icon::Occupied},
                                                                     {0x04, Icon::Na},
                                                                     {0x01, Icon::Away},
                                                                     {0x20, Icon::FreeForChat},
                                                                     {0x100, Icon::Invisible}}};
  for (const auto& [bit, icon] : kByPriority) {
    if ((bits & bit) != 0) return icon;
  }
  return Icon::Online;
}

bool PaintAligned(Painter& painter, const ImagePtr& image, const Rect& area, resources::Alignment align) {
  if (!image || !image->Decode()) return false;
  const int width = image->Width();
  const int height = image->Height();
  int x = area.x;
  if (align.horizontal == resources::HorizontalAlign::Right) x = area.x + area.width - width;
  if (align.horizontal == resources::HorizontalAlign::Center) x = area.x + (area.width - width) / 2;
  int y = area.y;
  if (align.vertical == resources::VerticalAlign::Bottom) y = area.y + area.height - height;
  if (align.vertical == resources::VerticalAlign::Center) y = area.y + (area.height - height) / 2;
  Painter::Scope clip(painter, area);
  painter.Image(*image, x - area.x, y - area.y);
  const bool opaque = image->DrawMode() == platform::Image::Mode::Opaque;
  return opaque && x <= area.x && y <= area.y && x + width >= area.x + area.width && y + height >= area.y + area.height;
}

void PaintRow(Painter& painter, const ContactListLook& look, const ContactRow& row, const Rect& area,
              const RowLook& how) {
  const auto& list = look.Values().contactList;
  const bool header = row.kind == ContactRow::Kind::Header;
  if ((how.selected || (header && how.quickSearch)) && list.selectedFill) painter.Fill(area, *list.selectedFill);
  if (how.selected && list.selectedBorder) painter.Frame(area, *list.selectedBorder);
  const platform::Font* font = look.listFont.get();

  if (header) {
    if (how.quickSearch) {
      if (font != nullptr)
        PaintName(painter, *font, area, area.x + kIconX + 2, std::u16string(how.typedKeys), list.online, {}, {});
      return;
    }
    const int icon = PaintCentred(painter, look.icons->Get(Icon::Online), area.x + kIconX, area, kMissingIconWidth);
    const int right = PaintIndicators(painter, list, area, {false, true, false, false});
    if (font != nullptr) {
      PaintName(painter, *font, {area.x, area.y, right - area.x, area.height}, area.x + kIconX + icon + kIconGap,
                std::u16string(how.title), list.online, {}, {});
    }
    return;
  }

  if (row.kind == ContactRow::Kind::Conversation) {
    const auto& conversation = row.conversation;
    const int icon = PaintCentred(painter, look.icons->Get(Icon::MsnMulti), area.x + kIconX, area, kMissingIconWidth);
    PaintIndicators(painter, list, area, {conversation.openChat, conversation.unread, false, false});
    if (font == nullptr) return;
    const int lines = std::max<int>(1, static_cast<int>(conversation.participants.size()));
    const int lineHeight = area.height / lines;
    for (size_t i = 0; i < conversation.participants.size(); ++i) {
      const auto& person = conversation.participants[i];
      const Rect line{area.x, area.y + static_cast<int>(i) * lineHeight, area.width, lineHeight};
      PaintName(painter, *font, line, area.x + kIconX + icon + kIconGap, ShownName(person.displayName, person.id),
                list.online, {}, {});
    }
    return;
  }

  const ContactEntry& contact = row.contact;
  const int icon = PaintCentred(painter, look.icons->Get(IconFor(contact.protocol, contact.presence)), area.x + kIconX,
                                area, kMissingIconWidth);
  if (font != nullptr) {
    const auto color = contact.presence == -1 ? list.offline : list.online;
    const bool ownName = !contact.displayName.empty();
    PaintName(painter, *font, area, area.x + kIconX + icon + kIconGap, ShownName(contact.displayName, contact.id),
              color, how.quickSearch && ownName ? row.highlight : std::nullopt, list.selectedFill);
  }
  PaintIndicators(painter, list, area, {contact.openChat, contact.unread, contact.typing, contact.asksAuthorization});
}

void PaintStatusPane(Painter& painter, const ContactListLook& look, const Rect& area, const StatusLine& line) {
  const auto& status = look.Values().status;
  const platform::Font* font = look.statusFont.get();
  if (font == nullptr || !status.text) return;
  Painter::Scope clip(painter, area);
  const int y = status.textOffset;
  const auto centred = [&](int centre, const std::u16string& text) {
    painter.Text(*font, centre - font->TextWidth(text) / 2, y, text, *status.text);
  };
  if (line.icqEnabled && line.msnEnabled) {
    centred(area.width / 4, u"ICQ " + std::u16string(line.icq));
    centred(area.width * 3 / 4, u"MSN " + std::u16string(line.msn));
  } else if (line.icqEnabled) {
    centred(area.width / 2, u"ICQ " + std::u16string(line.icq));
  } else if (line.msnEnabled) {
    centred(area.width / 2, u"MSN " + std::u16string(line.msn));
  } else {
    centred(area.width / 2, std::u16string(line.noAccount));
  }
}

void PaintToolbar(Painter& painter, const ContactListLook& look, const Rect& area,
                  const core::SettingsValues& settings) {
  const auto& toolbar = look.Values().toolbar;
  if (toolbar.background) painter.Fill(area, *toolbar.background);
  const auto image = [&toolbar](std::string_view name) -> const ImagePtr& {
    const auto found = std::find(resources::kToolbarImageNames.begin(), resources::kToolbarImageNames.end(), name);
    return toolbar.actions[static_cast<size_t>(found - resources::kToolbarImageNames.begin())];
  };
  const auto actionImage = [&](core::KeyAction action) -> std::string_view {
    using core::KeyAction;
    switch (action) {
      case KeyAction::Quit: return "quit";
      case KeyAction::ShowOffline: return settings.showOffline ? "showoffline" : "hideoffline";
      case KeyAction::Sound: return settings.sound ? "soundon" : "soundoff";
      case KeyAction::Vibro: return settings.vibro ? "vibroon" : "vibrooff";
      case KeyAction::Scrolling: return settings.scrolling ? "scrollingon" : "scrollingoff";
      case KeyAction::Chat: return "chat";
      case KeyAction::Info: return "info";
      case KeyAction::Find: return "find";
      case KeyAction::Settings: return "settings";
      case KeyAction::QuickSearch: return "qsearch";
      case KeyAction::None: break;
    }
    return {};
  };
  Painter::Scope clip(painter, area);
  for (int button = 0; button < 10; ++button) {
    const int key = (button + 1) % 10;  // 1, 2, ..., 9, 0
    const int x = 2 + button * toolbar.imageSize;
    const std::string_view name = actionImage(settings.keys[static_cast<size_t>(key)]);
    if (!name.empty()) {
      if (const ImagePtr& picture = image(name); picture && picture->Decode()) painter.Image(*picture, x, 1);
    }
    if (const ImagePtr& digit = toolbar.digits[static_cast<size_t>(key)]; digit && digit->Decode()) {
      painter.Image(*digit, x, 1);
    }
  }
}

}  // namespace quelt::ui
