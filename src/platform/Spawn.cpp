#include "platform/Spawn.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

extern char** environ;

namespace quelt::platform {

bool SpawnDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv.front().empty()) return false;
  std::vector<std::string> words = argv;
  std::vector<char*> pointers;
  for (auto& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, pointers[0], nullptr, nullptr, pointers.data(), environ) != 0) return false;
  // A browser may run for hours; a thread of its own waits so that no zombie is left behind.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return true;
}

}  // namespace quelt::platform
