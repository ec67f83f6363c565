#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quelt::msn {

// Presence numbers and their wire codes: -1 offline, 1 NLN, 2 BSY, 3 IDL, 4 BRB, 5 AWY, 6 PHN,
// 7 LUN, 8 HDN.
// The number of a three-letter code; -1 for anything else.
[[nodiscard]] int32_t DecodeMsnStatus(std::string_view code);
// The code CHG sends; numbers outside 2 to 8 go as NLN.
[[nodiscard]] std::string_view EncodeMsnStatus(int32_t status);

}  // namespace quelt::msn
