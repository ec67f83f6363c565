#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "homehost/DrawnRow.h"

namespace quelt::home {

// The owner's name; read again when the host hears the row's data changed. Hidden when there is
// no name.
class OwnerRow final : public DrawnRow {
 public:
  OwnerRow(const RowFormat& format, pugi::xml_node element, std::function<std::string()> ownerName);

  int Height() override;
  bool Selectable() override { return false; }
  void OnDataChanged() override;
  void Paint(platform::Surface& screen, const platform::Rect& area, bool selected) override;

 private:
  std::function<std::string()> ownerName_;
  std::u16string name_;
  std::shared_ptr<platform::Font> font_;
};

// HKCU\ControlPanel\Owner "Name", else the account's real name, else $USER.
[[nodiscard]] std::string OwnerName(const std::filesystem::path& registryFile);

}  // namespace quelt::home
