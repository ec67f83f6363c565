#pragma once

#include <string>
#include <vector>

namespace quelt::platform {

struct SpawnOptions {
  // In a process group of its own, so that a Ctrl-C meant for the starter does not end it.
  bool ownProcessGroup = false;
};

// Starts a program with these arguments (the first names the program, looked up in PATH when it
// has no slash), without a shell, and does not wait for it; its end is reaped in the background.
// False when it could not be started.
bool SpawnDetached(const std::vector<std::string>& argv, SpawnOptions options = {});

}  // namespace quelt::platform
