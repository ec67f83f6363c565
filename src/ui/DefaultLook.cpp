#include "ui/DefaultLook.h"

namespace quelt::ui {

const Look& DefaultLook() {
  static const Look look;
  return look;
}

LookFonts OpenLookFonts(const Look& look) {
  return {.title = platform::Font::Open(look.fontFace, look.titleFontSize, true),
          .softKeys = platform::Font::Open(look.fontFace, look.softKeyFontSize, true)};
}

}  // namespace quelt::ui
