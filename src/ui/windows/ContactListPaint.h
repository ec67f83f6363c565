#pragma once

#include <memory>
#include <string_view>

#include "core/SettingsValues.h"
#include "platform/screen/Geometry.h"
#include "resources/IconSet.h"
#include "resources/Skin.h"
#include "ui/windows/ContactRows.h"

namespace quelt::platform {
class Font;
}
namespace quelt::resources {
class LookSet;
}

namespace quelt::ui {

class Painter;

// The skin, icons and fonts of one paint of the contact list, taken together so that a skin
// changed meanwhile cannot mix into it.
struct ContactListLook {
  std::shared_ptr<const resources::Skin> skin;
  std::shared_ptr<const resources::IconSetData> icons;
  std::shared_ptr<platform::Font> listFont;
  std::shared_ptr<platform::Font> statusFont;

  [[nodiscard]] static ContactListLook Current(const resources::LookSet& looks);
  [[nodiscard]] const resources::SkinData& Values() const { return skin->Effective(); }
};

// The presence icon of a contact.
[[nodiscard]] resources::Icon IconFor(Protocol protocol, int32_t presence);

// Draws an image in `area` where the alignment puts it; true when it covers the whole area.
bool PaintAligned(Painter& painter, const resources::ImagePtr& image, const platform::Rect& area,
                  resources::Alignment align);

// How a row is to be drawn.
struct RowLook {
  bool selected = false;
  bool quickSearch = false;
  std::u16string_view typedKeys;  // shown by the header in quick search
  std::u16string_view title;      // shown by the header otherwise
};

// One row of the list in `area` (the list's width less the scroll bar).
void PaintRow(Painter& painter, const ContactListLook& look, const ContactRow& row, const platform::Rect& area,
              const RowLook& how);

// The status pane: each enabled account's text, or `noAccount` when neither is.
struct StatusLine {
  bool icqEnabled = false;
  bool msnEnabled = false;
  std::u16string_view icq;
  std::u16string_view msn;
  std::u16string_view noAccount;
};
void PaintStatusPane(Painter& painter, const ContactListLook& look, const platform::Rect& area, const StatusLine& line);

// The toolbar: the key actions of the keys 1 to 9 and 0, each with its digit over it.
void PaintToolbar(Painter& painter, const ContactListLook& look, const platform::Rect& area,
                  const core::SettingsValues& settings);

}  // namespace quelt::ui
