#include "DemoFolder.h"

#include "DemoNetwork.h"
#include "platform/Files.h"

namespace quelt::demo {

namespace {

constexpr const char* kDataFolders[] = {"Home", "Icons", "Language", "QSearch", "Smilies", "Sounds"};

bool Write(const std::filesystem::path& path, std::string_view text) {
  return platform::WriteFileAtomically(path, {reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

}  // namespace

bool PrepareProgramFolder(const std::filesystem::path& folder, const std::filesystem::path& programFolder,
                          std::string& error) {
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  // The messenger, and the home screen's row that it registers from its own folder. A rebuilt
  // file is a new file: the old link is replaced.
  for (const char* name : {"QUELTMessenger", "StatusTile.so"}) {
    const auto linked = folder / name, built = programFolder / name;
    if (std::filesystem::equivalent(linked, built, failure)) continue;
    std::filesystem::remove(linked, failure);
    std::filesystem::create_hard_link(built, linked, failure);
    if (failure) std::filesystem::copy_file(built, linked, failure);
    if (failure) {
      error = "cannot put " + std::string(name) + " into " + folder.string() + ": " + failure.message();
      return false;
    }
  }
  // The skins get a copy of their own: the user's sizes are saved beside the skin, and the demo's
  // must not change the look of the messenger it came with.
  if (!std::filesystem::is_directory(folder / "Skin", failure) ||
      std::filesystem::is_symlink(folder / "Skin", failure)) {
    std::filesystem::remove(folder / "Skin", failure);
    std::filesystem::copy(programFolder / "Skin", folder / "Skin", std::filesystem::copy_options::recursive, failure);
    if (failure) {
      error = "cannot copy the skins into " + folder.string() + ": " + failure.message();
      return false;
    }
  }
  for (const char* name : kDataFolders) {
    const auto link = folder / name, target = programFolder / name;
    if (std::filesystem::read_symlink(link, failure) == target) continue;
    std::filesystem::remove(link, failure);
    std::filesystem::create_directory_symlink(target, link, failure);
    if (failure) {
      error = "cannot link " + link.string() + ": " + failure.message();
      return false;
    }
  }
  return true;
}

bool WriteDemoSettings(const DemoNetwork& network, const std::filesystem::path& config,
                       const std::filesystem::path& caFile, std::string& error) {
  const auto ca = platform::ReadWholeFile(network.CaFile());
  const auto existing = platform::ReadWholeFile(config).value_or(std::vector<uint8_t>{});
  const std::string settings = network.Settings(std::string(existing.begin(), existing.end()), caFile);
  if (!ca || !Write(caFile, std::string(ca->begin(), ca->end())) || !Write(config, settings)) {
    error = "cannot write " + config.string() + " or " + caFile.string();
    return false;
  }
  return true;
}

}  // namespace quelt::demo
