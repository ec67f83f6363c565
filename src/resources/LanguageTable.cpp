#include "resources/LanguageTable.h"

#include <array>

#include "core/XmlDocument.h"
#include "resources/LanguageKeys.h"
#include "resources/ResourceFile.h"

namespace quelt::resources {

struct LanguageTable::Snapshot {
  std::u16string id;
  std::u16string name;
  std::array<std::u16string, kLanguageKeys.size()> texts;
};

LanguageTable::LanguageTable() : snapshot_(std::make_shared<const Snapshot>()) {}

bool LanguageTable::LoadLanguage(const std::filesystem::path& folder, const std::u16string& file) {
  const auto bytes = ReadResourceFile(folder, file);
  return bytes && LoadFromBytes(*bytes);
}

bool LanguageTable::LoadFromBytes(std::span<const uint8_t> bytes) {
  core::XmlDocument document;
  if (!document.LoadBytes(bytes)) return false;
  const core::XmlNode root = document.Root();
  if (!root) return false;

  auto loaded = std::make_shared<Snapshot>();
  loaded->id = root.Attribute("id").value_or(std::u16string());
  loaded->name = root.Attribute("name").value_or(std::u16string());
  // One pass over the children; the first element of a key's name gives its text.
  std::array<bool, kLanguageKeys.size()> seen{};
  for (const core::XmlNode& child : root.Children()) {
    const auto index = LanguageKeyIndex(child.Name());
    if (!index || seen[*index]) continue;
    seen[*index] = true;
    loaded->texts[*index] = child.Text();
  }

  std::lock_guard lock(mutex_);
  snapshot_ = std::move(loaded);
  return true;
}

std::u16string LanguageTable::Id() const { return Current()->id; }

std::u16string LanguageTable::Name() const { return Current()->name; }

std::u16string LanguageTable::Text(std::string_view key) const {
  const auto index = LanguageKeyIndex(key);
  return index ? Current()->texts[*index] : std::u16string();
}

std::shared_ptr<const LanguageTable::Snapshot> LanguageTable::Current() const {
  std::lock_guard lock(mutex_);
  return snapshot_;
}

}  // namespace quelt::resources
