#pragma once

#include <filesystem>

namespace quelt::core {

// What the defaults depend on: where the program lives and how wide the screen is.
struct SettingsEnvironment {
  std::filesystem::path programFolder;    // holds "Messenger.config"
  std::filesystem::path documentsFolder;  // default for the incoming and outgoing folders
  int screenWidth = 240;                  // at most 200 selects the small-screen skin
};

}  // namespace quelt::core
