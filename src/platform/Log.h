#pragma once

namespace quelt::platform {

// Debug output to stderr, one line per call, only when the environment variable QUELT_LOG is
// set (to anything but "0"). Never pass passwords, cookies or tickets.
[[nodiscard]] bool LogEnabled();
void Log(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace quelt::platform
