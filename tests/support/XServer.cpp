#include "support/XServer.h"

#include <signal.h>

#include <cctype>
#include <sstream>

namespace quelt::test {

XServer::XServer() {
  using namespace std::chrono_literals;
  // The server picks a free display itself and writes its number once it accepts clients, so
  // tests running side by side never share one; without -noreset the last client leaving
  // would reset it under the next.
  server_ = ChildProcess::Start(kXvfbPath, {},
                                {"-displayfd", "2", "-noreset", "-nolisten", "tcp", "-screen", "0", "480x640x24"});
  if (!server_) return;
  const auto deadline = std::chrono::steady_clock::now() + 15s;
  while (display_.empty() && std::chrono::steady_clock::now() < deadline && !server_->WaitForExit(20ms)) {
    std::istringstream lines(server_->Stderr());
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) display_ = ":" + line;
    }
  }
}

XServer::~XServer() {
  // Asked to end, the server removes its lock file and socket; killed, it would leave them.
  if (server_) {
    server_->Signal(SIGTERM);
    (void)server_->WaitForExit(std::chrono::seconds(5));
  }
}

}  // namespace quelt::test
