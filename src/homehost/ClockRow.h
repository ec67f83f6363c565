#pragma once

#include <chrono>
#include <functional>

#include "homehost/DrawnRow.h"

namespace quelt::home {

using WallClock = std::function<std::chrono::system_clock::time_point()>;

// The time in large figures over the date, in local time. The host sends it DataChanged when
// the minute turns.
class ClockRow final : public DrawnRow {
 public:
  ClockRow(const RowFormat& format, pugi::xml_node element, WallClock clock);

  int Height() override;
  bool Selectable() override { return true; }
  void Paint(platform::Surface& screen, const platform::Rect& area, bool selected) override;

 private:
  [[nodiscard]] int TimeSize() const { return format_.font.pixelSize * 2 + 2; }

  WallClock clock_;
  std::shared_ptr<platform::Font> timeFont_;
  std::shared_ptr<platform::Font> dateFont_;
};

}  // namespace quelt::home
