#pragma once

#include <filesystem>
#include <string>

namespace quelt::demo {

class DemoNetwork;

// The messenger finds its data and "Messenger.config" beside its executable, so the demo gets a
// program folder of its own: the executable (a hard link, or a copy across file systems), a copy
// of the skins (which keep the user's sizes) and links to the other data folders of
// `programFolder`. Brought up to date at every start.
bool PrepareProgramFolder(const std::filesystem::path& folder, const std::filesystem::path& programFolder,
                          std::string& error);

// Writes the network's CA to `caFile` and points `config` at the network, keeping its other
// settings; both written through a new file and a rename.
bool WriteDemoSettings(const DemoNetwork& network, const std::filesystem::path& config,
                       const std::filesystem::path& caFile, std::string& error);

}  // namespace quelt::demo
