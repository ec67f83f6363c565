#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quelt::test {

// A program started by a test, with its standard error collected. Killed if still running when
// the object goes.
class ChildProcess {
 public:
  struct Exit {
    bool signalled = false;
    int code = 0;  // the exit code, or the signal number when signalled
  };

  // The environment is this process's, with `overrides` applied (an empty value unsets).
  static std::unique_ptr<ChildProcess> Start(const std::filesystem::path& program,
                                             const std::map<std::string, std::string>& overrides,
                                             const std::vector<std::string>& arguments = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  std::optional<Exit> WaitForExit(std::chrono::milliseconds limit);
  void Signal(int signal);
  [[nodiscard]] std::string Stderr() const;
  // True once `text` appears in the standard error (waiting up to `limit`).
  bool WaitForStderr(std::string_view text, std::chrono::milliseconds limit);
  [[nodiscard]] int Pid() const { return pid_; }

 private:
  ChildProcess() = default;
  int pid_ = -1;
  int stderrFd_ = -1;
  std::optional<Exit> exit_;
  mutable std::mutex mutex_;
  std::condition_variable readerEnded_;
  bool stderrClosed_ = false;  // the reader has seen the end of the child's standard error
  std::string stderr_;
  std::thread reader_;
};

}  // namespace quelt::test
