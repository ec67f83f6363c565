#pragma once

#include <memory>
#include <string>

#include "support/ChildProcess.h"

namespace quelt::test {

inline constexpr char kXvfbPath[] = "/usr/bin/Xvfb";

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

 private:
  std::unique_ptr<ChildProcess> server_;
  std::string display_;
};

}  // namespace quelt::test
