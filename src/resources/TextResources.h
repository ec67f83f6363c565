#pragma once

#include "core/ApplicationServices.h"
#include "resources/LanguageTable.h"
#include "resources/QuickSearchMap.h"

namespace quelt::resources {

// The language table and the keypad map as the application loads them at start-up and after the
// language dialog. Texts and keypad entries may be read from any thread.
class TextResources final : public core::LanguageResources {
 public:
  bool LoadLanguage(const std::filesystem::path& folder, const std::u16string& file) override;
  bool LoadKeypadMap(const std::filesystem::path& folder, const std::u16string& file) override;
  [[nodiscard]] std::u16string Text(std::string_view key) const override;

  [[nodiscard]] const LanguageTable& Language() const { return language_; }
  [[nodiscard]] const QuickSearchMap& KeypadMap() const { return keypadMap_; }

 private:
  LanguageTable language_;
  QuickSearchMap keypadMap_;
};

}  // namespace quelt::resources
