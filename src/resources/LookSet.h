#pragma once

#include <memory>
#include <mutex>

#include "core/ApplicationServices.h"
#include "resources/IconSet.h"
#include "resources/Skin.h"

namespace quelt::resources {

// The program's skin and icon set. A load replaces the whole set at once, so a window painting
// with the previous one keeps a consistent picture until it asks again.
class LookSet final : public core::LookResources {
 public:
  LookSet();

  void LoadSkin(const std::filesystem::path& folder, const std::u16string& file) override;
  void LoadIcons(const std::filesystem::path& folder, const std::u16string& file) override;

  [[nodiscard]] std::shared_ptr<const Skin> CurrentSkin() const;
  [[nodiscard]] std::shared_ptr<const IconSetData> CurrentIcons() const;
  // The skin dialog's change of sizes and fonts; saved beside the skin. False when not saved.
  bool ChangeOverride(SkinOverride values);

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<const Skin> skin_;
  std::shared_ptr<const IconSetData> icons_;
};

}  // namespace quelt::resources
