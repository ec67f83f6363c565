#include "platform/Log.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quelt::platform {

bool LogEnabled() {
  static const bool enabled = [] {
    const char* value = std::getenv("QUELT_LOG");
    return value != nullptr && std::strcmp(value, "0") != 0;
  }();
  return enabled;
}

void Log(const char* format, ...) {
  if (!LogEnabled()) return;
  constexpr size_t kPrefixLength = 7;  // "quelt: "
  char line[2048] = "quelt: ";
  va_list arguments;
  va_start(arguments, format);
  const int written = std::vsnprintf(line + kPrefixLength, sizeof line - kPrefixLength - 1, format, arguments);
  va_end(arguments);
  if (written < 0) return;
  // Long texts are cut; the line still ends in a newline.
  size_t length = kPrefixLength + std::min(static_cast<size_t>(written), sizeof line - kPrefixLength - 2);
  line[length++] = '\n';
  // One write(2) per line, so lines from several threads never interleave.
  ssize_t result;
  do {
    result = write(STDERR_FILENO, line, length);
  } while (result < 0 && errno == EINTR);
}

}  // namespace quelt::platform
