#include "resources/SetLocator.h"

#include <algorithm>
#include <system_error>

#include "platform/CaseMapping.h"
#include "platform/TextCodec.h"
#include "resources/ResourceFile.h"

namespace quelt::resources {
namespace {

// Subfolders in name order: the file system's own order differs between machines, and a set
// must not change with the disk it was copied to.
std::vector<std::filesystem::path> Subfolders(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> folders;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->is_directory(error)) folders.push_back(it->path());
  }
  std::sort(folders.begin(), folders.end());
  return folders;
}

bool EndsWithIgnoringCase(std::u16string_view text, std::u16string_view suffix) {
  if (text.size() < suffix.size()) return false;
  return platform::EqualsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

std::u16string_view Pattern(SetKind kind) {
  switch (kind) {
    case SetKind::Skin: return u".Skin.xml";
    case SetKind::Icons: return u".Icons.xml";
    case SetKind::Smilies: return u".Smilies.xml";
  }
  return u"";
}

}  // namespace

const char* KindFolder(SetKind kind) {
  switch (kind) {
    case SetKind::Skin: return "Skin";
    case SetKind::Icons: return "Icons";
    case SetKind::Smilies: return "Smilies";
  }
  return "";
}

std::optional<std::filesystem::path> FindSetFolder(const std::filesystem::path& kindFolder,
                                                   const std::u16string& file) {
  for (const auto& folder : Subfolders(kindFolder)) {
    const auto path = ResourceFilePath(folder, file);
    if (!path) return std::nullopt;
    std::error_code error;
    if (std::filesystem::is_regular_file(*path, error)) return folder;
  }
  return std::nullopt;
}

std::vector<SetFile> ListSets(const std::filesystem::path& programFolder, SetKind kind) {
  std::vector<SetFile> sets;
  for (const auto& folder : Subfolders(programFolder / KindFolder(kind))) {
    std::vector<SetFile> inFolder;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      if (!it->is_regular_file(error)) continue;
      const std::u16string name = platform::Utf8ToUtf16(it->path().filename().string());
      if (name.size() <= Pattern(kind).size() || !EndsWithIgnoringCase(name, Pattern(kind))) continue;
      // An override file belongs to its skin and is not a skin itself.
      if (kind == SetKind::Skin && name.size() >= 9 && EndsWithIgnoringCase(name.substr(0, 9), u"OVERRIDE.")) continue;
      inFolder.push_back({platform::Utf8ToUtf16(folder.filename().string()), name, it->path()});
    }
    std::sort(inFolder.begin(), inFolder.end(), [](const SetFile& a, const SetFile& b) { return a.path < b.path; });
    sets.insert(sets.end(), inFolder.begin(), inFolder.end());
  }
  return sets;
}

}  // namespace quelt::resources
