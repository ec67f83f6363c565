#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/screen/Geometry.h"

namespace quelt::resources {

// A skin colour: a colour, or none ("TRANSPARENT"), in which case nothing is filled or outlined.
using SkinColor = std::optional<platform::Color>;

enum class HorizontalAlign { Left, Center, Right };
enum class VerticalAlign { Top, Center, Bottom };
struct Alignment {
  HorizontalAlign horizontal = HorizontalAlign::Left;
  VerticalAlign vertical = VerticalAlign::Top;
  bool operator==(const Alignment&) const = default;
};

inline constexpr int kNormalWeight = 400;
inline constexpr int kBoldWeight = 700;

struct SkinFont {
  std::u16string name = u"Nina";
  int size = 14;
  int weight = kNormalWeight;
  bool operator==(const SkinFont&) const = default;
};

// The value syntax of skin files. Each returns `fallback` for text it does not accept.
// "#RRGGBB" or "RRGGBB" (hexadecimal, any case), or "TRANSPARENT" in any case.
[[nodiscard]] SkinColor ParseSkinColor(std::u16string_view text, SkinColor fallback);
// The leading decimal number (an optional sign, then digits); what follows is ignored.
[[nodiscard]] int ParseSkinInteger(std::u16string_view text, int fallback);
// Exactly "0" (normal weight) or "1" (bold).
[[nodiscard]] int ParseSkinWeight(std::u16string_view text, int fallback);
// Two letters, horizontal (l, c, r) then vertical (t, c, b), any case; empty text is "lt". A
// letter that is not one of these keeps that half of `fallback`.
[[nodiscard]] Alignment ParseSkinAlignment(std::u16string_view text, Alignment fallback);

}  // namespace quelt::resources
