#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>

namespace quelt::resources {

// The user-interface texts of one language, looked up by key (LanguageKeys.h). Every text is
// empty until a language file is loaded. A load replaces the whole table at once and a failed
// load changes nothing, so readers on any thread see either the old table or the new one.
class LanguageTable {
 public:
  LanguageTable();

  // Reads `file` (a plain file name) from `folder`. False, with nothing changed, when either is
  // empty, the name is not a plain file name, or the file cannot be read or parsed.
  bool LoadLanguage(const std::filesystem::path& folder, const std::u16string& file);
  // The same from the bytes of a language file (UTF-8 or UTF-16 XML).
  bool LoadFromBytes(std::span<const uint8_t> bytes);

  [[nodiscard]] std::u16string Id() const;
  [[nodiscard]] std::u16string Name() const;
  // The text of a key; empty for a key the file did not give and for a name that is not a key.
  [[nodiscard]] std::u16string Text(std::string_view key) const;

 private:
  struct Snapshot;
  [[nodiscard]] std::shared_ptr<const Snapshot> Current() const;

  mutable std::mutex mutex_;
  std::shared_ptr<const Snapshot> snapshot_;
};

}  // namespace quelt::resources
