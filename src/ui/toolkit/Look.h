#pragma once

#include <memory>
#include <string>

#include "platform/screen/Font.h"
#include "platform/screen/Geometry.h"

namespace quelt::ui {

// Colours and fonts of what the handset draws itself and no skin describes: the soft-key bar,
// menus, message boxes and scroll bars.
struct Look {
  platform::Color background = platform::Color::FromRgb(0xEBF5FF);
  platform::Color text = platform::Color::FromRgb(0x000000);
  platform::Color rule = platform::Color::FromRgb(0x4060A0);
  platform::Color softKeyBar = platform::Color::FromRgb(0x24324A);
  platform::Color softKeyText = platform::Color::FromRgb(0xFFFFFF);
  platform::Color menuBackground = platform::Color::FromRgb(0xFFFFFF);
  platform::Color menuText = platform::Color::FromRgb(0x000000);
  platform::Color menuGreyed = platform::Color::FromRgb(0x9A9A9A);
  platform::Color menuSelection = platform::Color::FromRgb(0x3A5A9A);
  platform::Color menuSelectedText = platform::Color::FromRgb(0xFFFFFF);
  platform::Color boxCaption = platform::Color::FromRgb(0x3A5A9A);
  platform::Color boxCaptionText = platform::Color::FromRgb(0xFFFFFF);
  platform::Color scrollTrack = platform::Color::FromRgb(0xD8E0EC);
  platform::Color scrollThumb = platform::Color::FromRgb(0x6A80A8);
  std::u16string fontFace = u"DejaVu Sans";
  int titleFontSize = 14;
  int softKeyFontSize = 13;
  int menuFontSize = 13;
  int scrollBarWidth = 5;
};

[[nodiscard]] const Look& DefaultLook();

// The toolkit's fonts, opened once; a member is null when no font could be opened (its text is
// then not drawn).
struct LookFonts {
  std::shared_ptr<platform::Font> title;
  std::shared_ptr<platform::Font> softKeys;
  std::shared_ptr<platform::Font> menu;
};
[[nodiscard]] const LookFonts& DefaultLookFonts();

}  // namespace quelt::ui
