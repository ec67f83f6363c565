#include "resources/QuickSearchMap.h"

#include <array>

#include "core/XmlDocument.h"
#include "resources/ResourceFile.h"

namespace quelt::resources {
namespace {

struct BuiltInKey {
  char16_t key;
  std::u16string_view chars;
};

constexpr std::array<BuiltInKey, 12> kBuiltIn = {{
    {u'0', u"0+"},
    {u'1', u"1"},
    {u'2', u"2abc"},
    {u'3', u"3def"},
    {u'4', u"4ghi"},
    {u'5', u"5jkl"},
    {u'6', u"6mno"},
    {u'7', u"7pqrs"},
    {u'8', u"8tuv"},
    {u'9', u"9wxyz"},
    {u'*', u"_"},
    {u'#', u"#0123456789"},
}};

std::optional<size_t> KeyIndex(char16_t key) {
  for (size_t i = 0; i < kBuiltIn.size(); ++i) {
    if (kBuiltIn[i].key == key) return i;
  }
  return std::nullopt;
}

}  // namespace

struct QuickSearchMap::Snapshot {
  std::u16string name;
  std::array<std::u16string, kBuiltIn.size()> entries;

  Snapshot() {
    for (size_t i = 0; i < kBuiltIn.size(); ++i) entries[i] = kBuiltIn[i].chars;
  }
};

QuickSearchMap::QuickSearchMap() : snapshot_(std::make_shared<const Snapshot>()) {}

bool QuickSearchMap::LoadKeypadMap(const std::filesystem::path& folder, const std::u16string& file) {
  const auto bytes = ReadResourceFile(folder, file);
  return bytes && LoadFromBytes(*bytes);
}

bool QuickSearchMap::LoadFromBytes(std::span<const uint8_t> bytes) {
  core::XmlDocument document;
  if (!document.LoadBytes(bytes)) return false;
  const core::XmlNode root = document.Root();
  if (!root) return false;

  auto loaded = std::make_shared<Snapshot>();
  loaded->name = root.Attribute("name").value_or(std::u16string());
  for (size_t i = 0; i < kBuiltIn.size(); ++i) {
    const std::string path = std::string("k[@key='") + static_cast<char>(kBuiltIn[i].key) + "']";
    auto chars = root.SelectFirst(path).Attribute("chars");
    if (chars && !chars->empty()) loaded->entries[i] = std::move(*chars);
  }

  std::lock_guard lock(mutex_);
  snapshot_ = std::move(loaded);
  return true;
}

std::u16string QuickSearchMap::Name() const { return Current()->name; }

std::optional<std::u16string> QuickSearchMap::CharsForKey(char16_t key) const {
  const auto index = KeyIndex(key);
  if (!index) return std::nullopt;
  return Current()->entries[*index];
}

std::vector<std::u16string> QuickSearchMap::EntriesForKeys(std::u16string_view typedKeys) const {
  const auto current = Current();
  std::vector<std::u16string> entries;
  entries.reserve(typedKeys.size());
  for (const char16_t key : typedKeys) {
    if (const auto index = KeyIndex(key)) entries.push_back(current->entries[*index]);
  }
  return entries;
}

std::shared_ptr<const QuickSearchMap::Snapshot> QuickSearchMap::Current() const {
  std::lock_guard lock(mutex_);
  return snapshot_;
}

}  // namespace quelt::resources
