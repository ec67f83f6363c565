#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace quelt::test {

inline constexpr char kXvfbPath[] = "/usr/bin/Xvfb";
inline constexpr char kXdotoolPath[] = "/usr/bin/xdotool";

// An X server of its own (Xvfb) on a display number it finds free, for running the messenger
// with a real window; it ends with the object.
class XServer {
 public:
  XServer();
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;
  // ":<number>", or empty when no server could be started.
  [[nodiscard]] const std::string& Display() const { return display_; }
  // Focuses the window of this name and gives it keys ("key" and xdotool's key names) or text
  // ("type"), through the server's test extension as a keyboard would. What went wrong, or
  // empty.
  [[nodiscard]] std::string Xdotool(const std::string& window, const std::string& command,
                                    const std::vector<std::string>& words) const;

 private:
  std::unique_ptr<ChildProcess> server_;
  std::string display_;
};

}  // namespace quelt::test
