#include "core/Settings.h"

#include <span>
#include <string>
#include <utility>

#include "core/ConfigFile.h"
#include "platform/Files.h"

namespace quelt::core {

Settings::Settings(SettingsEnvironment environment)
    : environment_(std::move(environment)), values_(DefaultSettingsValues(environment_)) {}

void Settings::EnsureLoaded() {
  if (loaded_.IsSet()) return;
  if (loadToken_.Wait(0)) {
    Load();
    loaded_.Set();
    return;
  }
  // Another thread is loading; after the time-out the object is used as it stands.
  (void)loaded_.Wait(kLoadWaitMs);
}

void Settings::Load() {
  const auto bytes = platform::ReadWholeFile(FilePath());
  if (!bytes || bytes->empty()) return;
  SettingsValues loaded;
  {
    std::lock_guard lock(mutex_);
    loaded = values_;
  }
  ApplyConfigText(*bytes, loaded);
  std::lock_guard lock(mutex_);
  values_ = std::move(loaded);
}

SettingsValues Settings::Values() {
  EnsureLoaded();
  std::lock_guard lock(mutex_);
  return values_;
}

void Settings::Update(const std::function<void(SettingsValues&)>& change) {
  EnsureLoaded();
  std::lock_guard lock(mutex_);
  change(values_);
}

bool Settings::Save() {
  EnsureLoaded();
  std::lock_guard saveLock(saveMutex_);
  SettingsValues snapshot;
  {
    std::lock_guard lock(mutex_);
    snapshot = values_;
  }
  const std::string text = SerializeConfig(snapshot);
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  return platform::WriteFileAtomically(FilePath(), bytes);
}

std::shared_ptr<Settings> Settings::Clone() {
  auto copy = std::make_shared<Settings>(environment_);
  const SettingsValues values = Values();
  {
    std::lock_guard lock(copy->mutex_);
    copy->values_ = values;
  }
  // The copy counts as loaded: it must never read the file over the values it was given.
  (void)copy->loadToken_.Wait(0);
  copy->loaded_.Set();
  return copy;
}

std::filesystem::path Settings::FilePath() const { return environment_.programFolder / kFileName; }

}  // namespace quelt::core
