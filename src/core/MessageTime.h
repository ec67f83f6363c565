#pragma once

#include <cstdint>
#include <string>

namespace quelt::core {

// A local calendar time as the history stores it: no day of the week, no milliseconds.
struct MessageTime {
  uint16_t year = 0;
  uint8_t month = 0;
  uint8_t day = 0;
  uint8_t hour = 0;
  uint8_t minute = 0;
  uint8_t second = 0;

  bool operator==(const MessageTime&) const = default;
};

[[nodiscard]] MessageTime LocalNow();
// The local time of a UTC moment (stored offline messages carry UTC).
[[nodiscard]] MessageTime UtcToLocal(const MessageTime& utc);

// "9:05" for a time on the date of `today`, else "7.03.08 9:05" (day, month, two-digit year).
[[nodiscard]] std::u16string FormatMessageTime(const MessageTime& time, const MessageTime& today);
[[nodiscard]] std::u16string FormatMessageTime(const MessageTime& time);

}  // namespace quelt::core
