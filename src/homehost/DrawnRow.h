#pragma once

#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>

#include "homehost/HomeRow.h"
#include "homehost/RowFormat.h"

namespace quelt::platform {
class Font;
}

namespace quelt::home {

// What the rows the host draws have in common: the scheme's format, the row's own `height`, the
// selection's colours and the bottom rule.
class DrawnRow : public HomeRow {
 protected:
  DrawnRow(const RowFormat& format, pugi::xml_node element);

  // Fills the row's background and rule; gives the text colour to draw with.
  platform::Color PaintFrame(platform::Surface& screen, const platform::Rect& area, bool selected) const;
  // The scheme's height when it gives one, else `natural`.
  [[nodiscard]] int HeightOr(int natural) const { return height_.value_or(natural); }
  // The area left for text: inside the padding and above the rule.
  [[nodiscard]] platform::Rect TextArea(const platform::Rect& area) const;
  // Opened on first use; null when no font at all could be had.
  [[nodiscard]] const platform::Font* FontOfSize(int pixelSize, bool bold,
                                                 std::shared_ptr<platform::Font>& cache) const;

  const RowFormat format_;

 private:
  std::optional<int> height_;
};

// A row whose class is unknown or could not be loaded: its name, greyed.
class MissingRow final : public DrawnRow {
 public:
  MissingRow(const RowFormat& format, pugi::xml_node element, platform::Color gray, int naturalHeight);

  int Height() override { return HeightOr(naturalHeight_); }
  bool Selectable() override { return false; }
  void Paint(platform::Surface& screen, const platform::Rect& area, bool selected) override;

 private:
  std::u16string name_;
  platform::Color gray_;
  int naturalHeight_;
  std::shared_ptr<platform::Font> font_;
};

}  // namespace quelt::home
