#pragma once

#include <memory>
#include <string>

#include "support/ChildProcess.h"

namespace quelt::test {

inline constexpr char kXvfbPath[] = "/usr/bin/Xvfb";

// An X server of its own (Xvfb) on the first free display number from 50 on, for running the
// messenger with a real window; it ends with the object.
class XServer {
 public:
  XServer();
  // ":<number>", or empty when no server could be started.
  [[nodiscard]] const std::string& Display() const { return display_; }

 private:
  std::unique_ptr<ChildProcess> server_;
  std::string display_;
};

}  // namespace quelt::test
