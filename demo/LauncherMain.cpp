// quelt-demo: the messenger signed in to a demo network, with no account and no set-up.
//
//   quelt-demo [--port-base N]
//
// Makes the demo's program folder ($XDG_DATA_HOME/quelt-demo) with a "Messenger.config" that
// points at the demo network, starts the network in this process and the messenger from that
// folder, and ends the network when the messenger ends. Started again while a demo runs, it
// starts the messenger once more, which brings the running one to the front.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <new>
#include <string>

#include "DemoCast.h"
#include "DemoFolder.h"
#include "DemoNetwork.h"
#include "platform/Folders.h"
#include "platform/Log.h"
#include "platform/UniqueFd.h"

extern char** environ;

namespace {

using namespace quelt;
using namespace quelt::demo;

int Fail(const std::string& what) {
  std::fprintf(stderr, "quelt-demo: %s\n", what.c_str());
  return 1;
}

// Starts the messenger with the launcher's environment and the default signal handling. It is
// told to end should the launcher die, since the network it talks to dies with the launcher.
pid_t StartMessenger(const std::filesystem::path& program) {
  const std::string path = program.string();
  char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
  sigset_t none;
  sigemptyset(&none);
  const pid_t launcher = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // Only async-signal-safe calls from here on: the launcher has threads.
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != launcher) _exit(1);
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execve(path.c_str(), argv, environ);
  _exit(127);
}

// Waits for the messenger to end, handing it an interruption of the launcher; its exit code.
int WaitForMessenger(pid_t pid, const sigset_t& signals) {
  while (true) {
    int signal = 0;
    sigwait(&signals, &signal);
    if (signal != SIGCHLD) {
      kill(pid, SIGTERM);
      continue;
    }
    int status = 0;
    const pid_t ended = waitpid(pid, &status, WNOHANG);
    if (ended == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
}

int Run(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  uint16_t base = DemoNetwork::kDefaultBase;
  if (argc == 3 && std::string(argv[1]) == "--port-base" && DemoPorts::ParseBase(argv[2])) {
    base = *DemoPorts::ParseBase(argv[2]);
  } else if (argc != 1) {
    std::fprintf(stderr, "usage: quelt-demo [--port-base N]\n");
    return 2;
  }
  // Blocked before any thread starts, so that every one inherits it and sigwait gets them.
  sigset_t signals;
  sigemptyset(&signals);
  for (int signal : {SIGINT, SIGTERM, SIGCHLD}) sigaddset(&signals, signal);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  const auto folder = platform::AppDataFolder() / "quelt-demo";
  const auto program = folder / "QUELTMessenger";
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  platform::UniqueFd lock(open((folder / "quelt-demo.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
  if (!lock.Valid()) return Fail("cannot use " + folder.string());
  if (flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
    // A demo runs already: a second messenger hands over to the first and ends.
    const pid_t pid = StartMessenger(program);
    return pid < 0 ? Fail("cannot start " + program.string()) : WaitForMessenger(pid, signals);
  }
  std::string error;
  if (!PrepareProgramFolder(folder, platform::ProgramFolder(), error)) return Fail(error);

  const auto report = [start](const std::string& line) {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    platform::Log("demo: %s (%lld ms after the start)", line.c_str(), static_cast<long long>(elapsed.count()));
  };
  auto network = DemoNetwork::Start(DemoPorts::From(base), error, report);
  if (!network) return Fail(error);
  const auto caFile = folder / "demo-ca.pem";
  if (!WriteDemoSettings(*network, folder / "Messenger.config", caFile, error)) return Fail(error);
  const DemoPorts ports = network->Ports();
  std::printf("Quelt demo: ICQ %s and MSN %s (password \"%s\") on 127.0.0.1 ports %u, %u, %u and %u\n", kIcqUin,
              kMsnEmail, kPassword, ports.icq, ports.msn, ports.switchboard, ports.passport);
  std::fflush(stdout);

  const pid_t pid = StartMessenger(program);
  if (pid < 0) return Fail("cannot start " + program.string());
  const int code = WaitForMessenger(pid, signals);
  network.reset();
  std::filesystem::remove(caFile, failure);
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "quelt-demo: out of memory\n");
    return 1;
  }
}
