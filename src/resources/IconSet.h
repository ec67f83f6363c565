#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "resources/SkinData.h"

namespace quelt::resources {

// The presence icons, in this order; `msn_multi` marks a conversation with several people.
inline constexpr std::array<std::string_view, 17> kIconNames = {
    "online",   "away",     "dnd",     "na",       "occupied", "free4chat", "invisible",   "offline",  "msn_online",
    "msn_busy", "msn_idle", "msn_brb", "msn_away", "msn_otp",  "msn_otl",   "msn_offline", "msn_multi"};

enum class Icon : size_t {
  Online,
  Away,
  Dnd,
  Na,
  Occupied,
  FreeForChat,
  Invisible,
  Offline,
  MsnOnline,
  MsnBusy,
  MsnIdle,
  MsnBrb,
  MsnAway,
  MsnPhone,
  MsnLunch,
  MsnOffline,
  MsnMulti
};

struct IconSetData {
  std::u16string description = u"Default Icons";
  std::array<ImagePtr, kIconNames.size()> icons;  // null: the icon's place stays empty
  [[nodiscard]] const ImagePtr& Get(Icon icon) const { return icons[static_cast<size_t>(icon)]; }
};

// An icon-set document's values; nothing when the bytes are no XML document with an `icons` root.
[[nodiscard]] std::optional<IconSetData> ParseIconSet(std::span<const uint8_t> bytes,
                                                      const std::filesystem::path& setFolder);

// Finds `file` in the first subfolder of `kindFolder` that holds it and reads it; nothing (the
// caller keeps the built-in set) when there is none or it is not an icon set.
[[nodiscard]] std::optional<IconSetData> LoadIconSet(const std::filesystem::path& kindFolder,
                                                     const std::u16string& file);

}  // namespace quelt::resources
