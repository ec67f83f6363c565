#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quelt::core {

// What a numeric key or the left soft key of the contact list does. The number is what the
// settings hold; the name is what the configuration file holds.
enum class KeyAction : int32_t {
  None = 0,
  Quit = 1,
  ShowOffline = 2,
  Sound = 3,
  Vibro = 4,
  Scrolling = 5,
  Chat = 6,
  Info = 7,
  Find = 8,
  Settings = 9,
  QuickSearch = 10,
};

inline constexpr int kKeyActionCount = 11;

// "QUIT", "SHOWOFFLINE", ...; empty for a number outside the table.
[[nodiscard]] std::string_view KeyActionName(KeyAction action);
// Exact, case-sensitive match on the file name of an action.
[[nodiscard]] std::optional<KeyAction> KeyActionFromName(std::string_view name);
// The language key of its display name: "none", "quit", "show_hide_offline", ...
[[nodiscard]] std::string_view KeyActionLanguageKey(KeyAction action);

}  // namespace quelt::core
