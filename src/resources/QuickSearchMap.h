#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::resources {

// Which characters each phone key ('0'..'9', '*', '#') stands for when a contact's name is typed
// on the keypad. Starts with the built-in entries; a load replaces the whole map at once and a
// failed load changes nothing, so readers on any thread see either the old map or the new one.
class QuickSearchMap {
 public:
  QuickSearchMap();

  // Reads `file` (a plain file name) from `folder`. False, with nothing changed, when either is
  // empty, the name is not a plain file name, or the file cannot be read or parsed.
  bool LoadKeypadMap(const std::filesystem::path& folder, const std::u16string& file);
  // The same from the bytes of a keypad map file. Each key the file does not give (no element, or
  // no or empty `chars`) gets its built-in entry, whatever an earlier file gave it.
  bool LoadFromBytes(std::span<const uint8_t> bytes);

  [[nodiscard]] std::u16string Name() const;
  // The characters of a phone key; nothing for any other character.
  [[nodiscard]] std::optional<std::u16string> CharsForKey(char16_t key) const;
  // The entries of typed keys, in order, from one consistent map. Characters that are not phone
  // keys are dropped, as matching requires.
  [[nodiscard]] std::vector<std::u16string> EntriesForKeys(std::u16string_view typedKeys) const;

 private:
  struct Snapshot;
  [[nodiscard]] std::shared_ptr<const Snapshot> Current() const;

  mutable std::mutex mutex_;
  std::shared_ptr<const Snapshot> snapshot_;
};

}  // namespace quelt::resources
