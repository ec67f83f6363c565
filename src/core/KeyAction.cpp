#include "core/KeyAction.h"

#include <array>

namespace quelt::core {

namespace {

struct KeyActionNames {
  std::string_view fileName;
  std::string_view languageKey;
};

// Indexed by the action's number.
constexpr std::array<KeyActionNames, kKeyActionCount> kNames = {{
    {"NONE", "none"},
    {"QUIT", "quit"},
    {"SHOWOFFLINE", "show_hide_offline"},
    {"SOUND", "sound"},
    {"VIBRO", "vibro"},
    {"SCROLLING", "scrolling"},
    {"CHAT", "chat"},
    {"INFO", "info"},
    {"FIND", "find"},
    {"SETTINGS", "settings"},
    {"QSEARCH", "quick_search"},
}};

const KeyActionNames* Find(KeyAction action) {
  const auto index = static_cast<int32_t>(action);
  if (index < 0 || index >= kKeyActionCount) return nullptr;
  return &kNames[static_cast<size_t>(index)];
}

}  // namespace

std::string_view KeyActionName(KeyAction action) {
  const KeyActionNames* names = Find(action);
  return names != nullptr ? names->fileName : std::string_view();
}

std::optional<KeyAction> KeyActionFromName(std::string_view name) {
  for (size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i].fileName == name) return static_cast<KeyAction>(i);
  }
  return std::nullopt;
}

std::string_view KeyActionLanguageKey(KeyAction action) {
  const KeyActionNames* names = Find(action);
  return names != nullptr ? names->languageKey : std::string_view();
}

}  // namespace quelt::core
