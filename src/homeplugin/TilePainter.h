#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "homeplugin/StateBlock.h"
#include "homeplugin/TileSettings.h"
#include "platform/screen/Geometry.h"

namespace quelt::platform {
class Font;
class Surface;
}  // namespace quelt::platform

namespace quelt::home {

// The colours a row paints with, resolved once and kept until the theme changes. A missing fill
// colour fills nothing.
struct TileLook {
  std::optional<platform::Color> background;
  std::optional<platform::Color> selectedBackground;
  std::optional<platform::Color> border;
  platform::Color text;
  platform::Color selectedText;
};

// "Offline" while the messenger or the service is off, else the service's status, with the
// number online in brackets while it is signed in.
[[nodiscard]] std::u16string ServiceText(bool running, const ServiceTileState& service);

// The bottom rule's height: the scheme's width, forced to at least 1 or to 0 by show-b-border.
[[nodiscard]] int32_t BorderWidth(const TileSettings& settings);

// Draws the row into `rect` (right and bottom exclusive).
void PaintTile(platform::Surface& surface, const HomeRect& rect, bool selected, const TileSettings& settings,
               const MessengerTileState& state, const TileLook& look, const platform::Font& font);

}  // namespace quelt::home
