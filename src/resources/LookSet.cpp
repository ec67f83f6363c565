#include "resources/LookSet.h"

namespace quelt::resources {

LookSet::LookSet() : skin_(std::make_shared<const Skin>()), icons_(std::make_shared<const IconSetData>()) {}

void LookSet::LoadSkin(const std::filesystem::path& folder, const std::u16string& file) {
  auto skin = std::make_shared<Skin>();
  skin->Load(folder, file);  // on failure it holds the built-in values
  std::lock_guard lock(mutex_);
  skin_ = std::move(skin);
}

void LookSet::LoadIcons(const std::filesystem::path& folder, const std::u16string& file) {
  auto icons = std::make_shared<const IconSetData>(LoadIconSet(folder, file).value_or(IconSetData{}));
  std::lock_guard lock(mutex_);
  icons_ = std::move(icons);
}

std::shared_ptr<const Skin> LookSet::CurrentSkin() const {
  std::lock_guard lock(mutex_);
  return skin_;
}

std::shared_ptr<const IconSetData> LookSet::CurrentIcons() const {
  std::lock_guard lock(mutex_);
  return icons_;
}

bool LookSet::ChangeOverride(SkinOverride values) {
  auto skin = std::make_shared<Skin>(*CurrentSkin());
  skin->SetOverride(std::move(values));
  const bool saved = skin->SaveOverride();
  std::lock_guard lock(mutex_);
  skin_ = std::move(skin);
  return saved;
}

}  // namespace quelt::resources
