#pragma once

#include <cstdint>
#include <string>

#include "homeplugin/HomeInterfaces.h"

namespace quelt::home {

// What a row of the messenger's plugin is told by the scheme and keeps between sessions.
// Every string is upper-cased when read.
struct TileSettings {
  uint32_t pluginHandle = 0;
  int32_t height = 20;
  bool autoHeight = false;
  int32_t showBottomBorder = 0;  // 1 forces a rule, 2 suppresses it
  std::u16string fontFace;
  int32_t fontSize = 14;
  std::u16string fontWeight;
  int32_t paddingLeft = 0;
  int32_t paddingTop = 0;
  std::u16string background;
  std::u16string foreground;
  std::u16string selectedBackground;
  std::u16string selectedForeground;
  std::u16string borderColor;
  int32_t borderWidth = 0;

  bool operator==(const TileSettings&) const = default;
};

// The row's settings from its scheme element and the scheme's format defaults.
[[nodiscard]] TileSettings SettingsFromScheme(uint32_t pluginHandle, pugi::xml_node parameters,
                                              pugi::xml_node defaults);

// The persisted form: little-endian words, a flag byte, and strings as a byte count followed by
// UTF-16 without a terminator. Reading gives empty strings their defaults and fails on a stream
// that ends early or holds an absurd string length.
[[nodiscard]] bool WriteTileSettings(const TileSettings& settings, IStream& stream);
[[nodiscard]] std::optional<TileSettings> ReadTileSettings(IStream& stream);

}  // namespace quelt::home
