#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "resources/SkinData.h"

namespace quelt::resources {

// A skin as the windows use it: the file's values, the user's overrides kept beside it in
// "Override.<skin file name>", and the panes they give.
class Skin {
 public:
  // Finds `file` in the first subfolder of `kindFolder` that holds it and reads it, then its
  // override file. False (and the built-in values) when there is no such file or it is not a skin.
  bool Load(const std::filesystem::path& kindFolder, const std::u16string& file);
  // Writes the overrides that are set, replacing the earlier override file. False when no skin
  // file was loaded or the file cannot be written.
  [[nodiscard]] bool SaveOverride() const;

  [[nodiscard]] const SkinData& FileValues() const { return values_; }
  [[nodiscard]] const SkinOverride& Override() const { return override_; }
  void SetOverride(SkinOverride values);
  // The values to draw with: the file's, with the overrides in their place.
  [[nodiscard]] const SkinData& Effective() const { return effective_; }
  [[nodiscard]] std::vector<Pane> Panes() const { return VisiblePanes(effective_); }
  // The loaded skin's folder; empty with the built-in values.
  [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }

 private:
  [[nodiscard]] std::filesystem::path OverridePath() const;

  SkinData values_;
  SkinOverride override_;
  SkinData effective_;
  std::filesystem::path folder_;
  std::filesystem::path file_;
};

}  // namespace quelt::resources
