#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>

#include "core/SettingsEnvironment.h"
#include "core/SettingsValues.h"
#include "platform/Event.h"

namespace quelt::core {

// The in-memory configuration, shared between threads by shared_ptr. The file is read once, by
// whichever thread first asks for a value; others wait for that load up to 10 s and then use the
// object as it stands. Values are read and changed as a whole under the object's lock.
class Settings {
 public:
  static constexpr const char* kFileName = "Messenger.config";
  static constexpr uint32_t kLoadWaitMs = 10000;

  explicit Settings(SettingsEnvironment environment);
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

  // Loads the file unless this object has loaded it already (or another thread is doing so).
  void EnsureLoaded();

  // A snapshot of every value, after EnsureLoaded.
  [[nodiscard]] SettingsValues Values();

  // Changes values in place, after EnsureLoaded; call Save to keep them.
  void Update(const std::function<void(SettingsValues&)>& change);

  // Writes the whole file through a new file and a rename. False when it could not be written;
  // the previous file is then untouched.
  [[nodiscard]] bool Save();

  // A loaded copy with the same values and environment, for a dialog to change and hand over.
  [[nodiscard]] std::shared_ptr<Settings> Clone();

  [[nodiscard]] std::filesystem::path FilePath() const;
  [[nodiscard]] const SettingsEnvironment& Environment() const { return environment_; }

 private:
  void Load();

  const SettingsEnvironment environment_;
  platform::Event loaded_{platform::Event::Mode::ManualReset, false};
  platform::Event loadToken_{platform::Event::Mode::AutoReset, true};
  mutable std::mutex mutex_;
  SettingsValues values_;
  // Keeps concurrent saves in order, so the file ends up with the newest snapshot.
  std::mutex saveMutex_;
};

}  // namespace quelt::core
