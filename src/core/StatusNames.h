#pragma once

#include <cstdint>
#include <string_view>

namespace quelt::core {

// The language key naming an ICQ status word ("online", "away", ...). A word with several
// status bits counts as its most significant class; empty for a class without a name.
[[nodiscard]] std::string_view IcqStatusKey(uint32_t status);

// The language key naming an MSN presence number; empty for an unknown number (0 included).
[[nodiscard]] std::string_view MsnStatusKey(int32_t presence);

}  // namespace quelt::core
