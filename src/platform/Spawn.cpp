#include "platform/Spawn.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <system_error>
#include <thread>

#include "platform/Log.h"

extern char** environ;

namespace quelt::platform {

bool SpawnDetached(const std::vector<std::string>& argv, SpawnOptions options) {
  if (argv.empty() || argv.front().empty()) return false;
  std::vector<std::string> words = argv;
  std::vector<char*> pointers;
  for (auto& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return false;
  if (options.ownProcessGroup) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  pid_t pid = -1;
  const int failure = posix_spawnp(&pid, pointers[0], nullptr, &attributes, pointers.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (failure != 0) return false;
  // A browser may run for hours; a thread of its own waits so that no zombie is left behind.
  try {
    std::thread([pid] {
      int status = 0;
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    Log("%s runs, but nothing waits for its end", pointers[0]);
  }
  return true;
}

}  // namespace quelt::platform
