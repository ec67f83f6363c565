#include "core/MessageTime.h"

#include <cstdio>
#include <ctime>

#include "platform/TextCodec.h"

namespace quelt::core {

namespace {

MessageTime LocalTimeOf(std::time_t moment) {
  std::tm local{};
  localtime_r(&moment, &local);
  return {static_cast<uint16_t>(local.tm_year + 1900), static_cast<uint8_t>(local.tm_mon + 1),
          static_cast<uint8_t>(local.tm_mday),         static_cast<uint8_t>(local.tm_hour),
          static_cast<uint8_t>(local.tm_min),          static_cast<uint8_t>(local.tm_sec)};
}

}  // namespace

MessageTime LocalNow() { return LocalTimeOf(std::time(nullptr)); }

MessageTime UtcToLocal(const MessageTime& utc) {
  std::tm broken{};
  broken.tm_year = utc.year - 1900;
  broken.tm_mon = utc.month - 1;
  broken.tm_mday = utc.day;
  broken.tm_hour = utc.hour;
  broken.tm_min = utc.minute;
  broken.tm_sec = utc.second;
  return LocalTimeOf(timegm(&broken));
}

std::u16string FormatMessageTime(const MessageTime& time, const MessageTime& today) {
  char text[48];
  if (time.year == today.year && time.month == today.month && time.day == today.day) {
    std::snprintf(text, sizeof text, "%d:%02d", time.hour, time.minute);
  } else {
    std::snprintf(text, sizeof text, "%d.%02d.%02d %d:%02d", time.day, time.month, time.year % 100, time.hour,
                  time.minute);
  }
  return platform::AsciiToUtf16(text);
}

std::u16string FormatMessageTime(const MessageTime& time) { return FormatMessageTime(time, LocalNow()); }

}  // namespace quelt::core
