#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelt::resources {

// The three kinds of exchangeable look files, each in a folder of its own below the program
// folder with one subfolder per set ("Skin/QVGA/QVGA.Skin.xml").
enum class SetKind { Skin, Icons, Smilies };

[[nodiscard]] const char* KindFolder(SetKind kind);

// The subfolder of the kind's folder that holds `file`: the first, in name order, that has a
// regular file of exactly that name. Nothing when none does or `file` is not a plain name.
[[nodiscard]] std::optional<std::filesystem::path> FindSetFolder(const std::filesystem::path& kindFolder,
                                                                 const std::u16string& file);

struct SetFile {
  std::u16string subfolder;
  std::u16string fileName;
  std::filesystem::path path;
};
// Every set file of the kind, for the choosers: subfolders in name order, files in name order
// within each. The skin list leaves out override files.
[[nodiscard]] std::vector<SetFile> ListSets(const std::filesystem::path& programFolder, SetKind kind);

}  // namespace quelt::resources
