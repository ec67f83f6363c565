#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/MsnServer.h"
#include "support/OscarServer.h"
#include "support/PassportServer.h"
#include "support/TempFolder.h"
#include "support/XServer.h"

namespace quelt::test {

// The whole messenger as a person runs it: a program folder of its own, its window on an X
// server of its own, pointed at loopback OSCAR, MSN and Passport fixtures with both accounts
// signing in at start. Sound and vibration are off.
class MessengerProcess {
 public:
  static constexpr const char* kUin = "123456789";
  static constexpr const char* kEmail = "alice@example.com";

  struct Options {
    std::filesystem::path program;                     // the built QUELTMessenger
    int icqContacts = 0;                               // "300000", "300001", ... in group "Friends"
    int msnContacts = 0;                               // "person0@example.com", ...
    std::vector<std::filesystem::path> besideProgram;  // files copied into the program folder
    std::string programWrapper;                        // runs the program under this (a profiler)
    bool log = false;                                  // debug output on stderr (QUELT_LOG)
  };

  explicit MessengerProcess(Options options);
  MessengerProcess(const MessengerProcess&) = delete;
  MessengerProcess& operator=(const MessengerProcess&) = delete;

  // Starts the program; false (and why on stderr) when there is no X server or it cannot start.
  bool Start();
  // True once both accounts are signed in and the program has gone quiet.
  bool SignIn();
  // Ends the program as a window manager would; true when it ended cleanly.
  bool Quit();
  // Presses keys (xdotool's names) in the program's window.
  bool Press(const std::vector<std::string>& keys);

  [[nodiscard]] int Pid() const { return program_ ? program_->Pid() : -1; }
  [[nodiscard]] const std::filesystem::path& Home() const { return home_.Path(); }
  [[nodiscard]] std::filesystem::path ProgramFolder() const { return home_ / "bin"; }
  // What the program is given as XDG_RUNTIME_DIR and XDG_CONFIG_HOME: where its ports and its
  // registry are.
  [[nodiscard]] std::filesystem::path RuntimeFolder() const { return home_ / "run"; }
  [[nodiscard]] std::filesystem::path ConfigFolder() const { return home_ / "config"; }
  // Bytes the program has written into its home (the history, the caches).
  [[nodiscard]] uintmax_t WrittenBytes() const;
  [[nodiscard]] std::string Stderr() const { return program_ ? program_->Stderr() : std::string(); }

  OscarServer& Oscar() { return oscar_; }
  MsnServer& Msn() { return msn_; }

 private:
  bool Fail(const std::string& what) const;

  Options options_;
  TempFolder home_;
  XServer x_;
  OscarServer oscar_;
  MsnServer msn_;
  PassportServer passport_;
  std::unique_ptr<ChildProcess> program_;
};

// The process's CPU so far in seconds, its finished threads included.
struct ProcessCpu {
  double user = 0;
  double system = 0;
  [[nodiscard]] double Total() const { return user + system; }
};
[[nodiscard]] ProcessCpu CpuOf(int pid);
// A memory figure of /proc/<pid>/status in kB: "VmHWM" (the peak RSS), "VmRSS", "RssAnon".
[[nodiscard]] long StatusKb(int pid, const std::string& name);
// Waits until the process's CPU stops moving (whatever it was doing is done), 30 s at most.
void Settle(int pid);

}  // namespace quelt::test
