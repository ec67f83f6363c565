#pragma once

#include <memory>
#include <string>

#include "platform/screen/Font.h"
#include "platform/screen/Geometry.h"

namespace quelt::ui {

// Colours and fonts of the screens that no skin describes: the soft-key bar, which the handset
// draws itself, and the built-in look of the main window until a skin is loaded.
struct Look {
  platform::Color background = platform::Color::FromRgb(0xEBF5FF);
  platform::Color text = platform::Color::FromRgb(0x000000);
  platform::Color rule = platform::Color::FromRgb(0x4060A0);
  platform::Color softKeyBar = platform::Color::FromRgb(0x24324A);
  platform::Color softKeyText = platform::Color::FromRgb(0xFFFFFF);
  std::string fontFace = "Nina";
  int titleFontSize = 14;
  int softKeyFontSize = 13;
};

[[nodiscard]] const Look& DefaultLook();

// Fonts opened once per size; nullptr when no font could be opened (text is then not drawn).
struct LookFonts {
  std::shared_ptr<platform::Font> title;
  std::shared_ptr<platform::Font> softKeys;
};
[[nodiscard]] LookFonts OpenLookFonts(const Look& look);

}  // namespace quelt::ui
