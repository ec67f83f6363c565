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

std::string XServer::Xdotool(const std::string& window, const std::string& command,
                             const std::vector<std::string>& words) const {
  using namespace std::chrono_literals;
  std::vector<std::string> typing = {command, "--delay", "60"};
  typing.insert(typing.end(), words.begin(), words.end());
  for (const auto& step :
       {std::vector<std::string>{"search", "--sync", "--onlyvisible", "--name", window, "windowfocus", "--sync"},
        typing}) {
    auto xdotool = ChildProcess::Start(kXdotoolPath, {{"DISPLAY", display_}}, step);
    if (!xdotool) return "xdotool does not start";
    const auto exit = xdotool->WaitForExit(20s);
    if (!exit) return "xdotool hangs: " + xdotool->Stderr();
    if (exit->signalled || exit->code != 0) return "xdotool failed: " + xdotool->Stderr();
  }
  return {};
}

XServer::~XServer() {
  // Asked to end, the server removes its lock file and socket; killed, it would leave them.
  if (server_) {
    server_->Signal(SIGTERM);
    (void)server_->WaitForExit(std::chrono::seconds(5));
  }
}

}  // namespace quelt::test
