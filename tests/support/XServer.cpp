#include "support/XServer.h"

#include <unistd.h>

#include <filesystem>
#include <thread>

namespace quelt::test {

XServer::XServer() {
  using namespace std::chrono_literals;
  for (int number = 50 + getpid() % 50; number < 200 && !server_; ++number) {
    if (std::filesystem::exists("/tmp/.X" + std::to_string(number) + "-lock")) continue;
    auto server = ChildProcess::Start(kXvfbPath, {},
                                      {":" + std::to_string(number), "-screen", "0", "480x640x24", "-nolisten", "tcp"});
    const auto socket = "/tmp/.X11-unix/X" + std::to_string(number);
    for (int i = 0; i < 100 && server && !std::filesystem::exists(socket); ++i) std::this_thread::sleep_for(50ms);
    if (server && std::filesystem::exists(socket)) {
      server_ = std::move(server);
      display_ = ":" + std::to_string(number);
    }
  }
}

}  // namespace quelt::test
