#include "ui/toolkit/Look.h"

#include "ui/toolkit/Fonts.h"

namespace quelt::ui {

const Look& DefaultLook() {
  static const Look look;
  return look;
}

const LookFonts& DefaultLookFonts() {
  static const LookFonts fonts{.title = OpenFont(DefaultLook().fontFace, DefaultLook().titleFontSize, true),
                               .softKeys = OpenFont(DefaultLook().fontFace, DefaultLook().softKeyFontSize, true),
                               .menu = OpenFont(DefaultLook().fontFace, DefaultLook().menuFontSize, false)};
  return fonts;
}

}  // namespace quelt::ui
