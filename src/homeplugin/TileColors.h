#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "homeplugin/HomeInterfaces.h"
#include "platform/screen/Geometry.h"

namespace quelt::home {

// "#RRGGBB" as schemes write it. Only 1-9 and A-F count as digits; anything else, a missing
// character too, counts as 0. Schemes written for the handset rely on this reading.
[[nodiscard]] platform::Color ColorFromHash(std::u16string_view value);

// A scheme colour value: nothing for "TRANSPARENT", a hash colour, or a name the host's theme
// resolves (nothing when it cannot).
[[nodiscard]] std::optional<platform::Color> ResolveColor(std::u16string_view value, IHomeColors* theme,
                                                          uint32_t pluginHandle);

}  // namespace quelt::home
