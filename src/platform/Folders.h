#pragma once

#include <filesystem>

namespace quelt::platform {

// The folder of the running executable (from /proc/self/exe), whatever the working folder.
// Data files, "Messenger.config" and by default the history live there.
[[nodiscard]] std::filesystem::path ProgramFolder();

// $XDG_DOCUMENTS_DIR as user-dirs.dirs names it, else $HOME.
[[nodiscard]] std::filesystem::path DocumentsFolder();

// $XDG_DATA_HOME, else ~/.local/share.
[[nodiscard]] std::filesystem::path AppDataFolder();

// $XDG_CONFIG_HOME/quelt, else ~/.config/quelt. Holds the registry stand-in.
[[nodiscard]] std::filesystem::path ConfigFolder();

// $XDG_RUNTIME_DIR, else /tmp/quelt-<uid> (created private to the user). Holds the ports.
[[nodiscard]] std::filesystem::path RuntimeFolder();

}  // namespace quelt::platform
