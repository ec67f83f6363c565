#include "homehost/ClockRow.h"

#include <ctime>
#include <string>

#include "platform/TextCodec.h"
#include "platform/screen/Font.h"

namespace quelt::home {
namespace {

constexpr const char* kDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

}  // namespace

ClockRow::ClockRow(const RowFormat& format, pugi::xml_node element, WallClock clock)
    : DrawnRow(format, element), clock_(std::move(clock)) {}

int ClockRow::Height() {
  const auto* time = FontOfSize(TimeSize(), true, timeFont_);
  const auto* date = FontOfSize(format_.font.pixelSize, format_.font.bold, dateFont_);
  const int natural = time && date ? time->Height() + date->Height() + 2 * format_.paddingTop : 0;
  return HeightOr(natural + format_.ruleWidth);
}

void ClockRow::Paint(platform::Surface& screen, const platform::Rect& area, bool selected) {
  const platform::Color color = PaintFrame(screen, area, selected);
  const auto* time = FontOfSize(TimeSize(), true, timeFont_);
  const auto* date = FontOfSize(format_.font.pixelSize, format_.font.bold, dateFont_);
  if (time == nullptr || date == nullptr) return;
  const std::time_t now = std::chrono::system_clock::to_time_t(clock_());
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return;
  char hours[8];
  std::snprintf(hours, sizeof hours, "%02d:%02d", local.tm_hour % 100, local.tm_min % 100);
  const std::string day =
      std::string(kDays[local.tm_wday % 7]) + ", " + std::to_string(local.tm_mday) + " " + kMonths[local.tm_mon % 12];
  const platform::Rect text = TextArea(area);
  time->Draw(screen, text.x, text.y, platform::AsciiToUtf16(hours), color, text);
  date->Draw(screen, text.x + 1, text.y + time->Height(), platform::AsciiToUtf16(day), color, text);
}

}  // namespace quelt::home
