#include "resources/TextResources.h"

namespace quelt::resources {

bool TextResources::LoadLanguage(const std::filesystem::path& folder, const std::u16string& file) {
  return language_.LoadLanguage(folder, file);
}

bool TextResources::LoadKeypadMap(const std::filesystem::path& folder, const std::u16string& file) {
  return keypadMap_.LoadKeypadMap(folder, file);
}

std::u16string TextResources::Text(std::string_view key) const { return language_.Text(key); }

}  // namespace quelt::resources
