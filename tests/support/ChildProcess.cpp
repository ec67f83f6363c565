#include "support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

extern char** environ;

namespace quelt::test {

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::filesystem::path& program,
                                                  const std::map<std::string, std::string>& overrides,
                                                  const std::vector<std::string>& arguments) {
  std::map<std::string, std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text(*entry);
    const auto equals = text.find('=');
    if (equals != std::string::npos) environment[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : overrides) {
    if (value.empty()) {
      environment.erase(name);
    } else {
      environment[name] = value;
    }
  }
  std::vector<std::string> entries;
  for (const auto& [name, value] : environment) entries.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (auto& entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);

  int pipeFds[2];
  if (pipe2(pipeFds, O_CLOEXEC) != 0) return nullptr;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  std::string path = program.string();
  std::vector<std::string> words = arguments;
  std::vector<char*> argv = {path.data()};
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int result = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  if (result != 0) {
    close(pipeFds[0]);
    return nullptr;
  }
  auto child = std::unique_ptr<ChildProcess>(new ChildProcess());
  child->pid_ = pid;
  child->stderrFd_ = pipeFds[0];
  child->reader_ = std::thread([raw = child.get()] {
    char buffer[4096];
    while (true) {
      const ssize_t got = read(raw->stderrFd_, buffer, sizeof buffer);
      if (got <= 0) break;
      std::lock_guard lock(raw->mutex_);
      raw->stderr_.append(buffer, static_cast<size_t>(got));
    }
    {
      std::lock_guard lock(raw->mutex_);
      raw->stderrClosed_ = true;
    }
    raw->readerEnded_.notify_all();
  });
  return child;
}

ChildProcess::~ChildProcess() {
  if (!exit_) {
    kill(pid_, SIGKILL);
    (void)WaitForExit(std::chrono::seconds(10));
  }
  if (reader_.joinable()) reader_.join();
  if (stderrFd_ >= 0) close(stderrFd_);
}

std::optional<ChildProcess::Exit> ChildProcess::WaitForExit(std::chrono::milliseconds limit) {
  if (exit_) return exit_;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (true) {
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      exit_ = WIFSIGNALED(status) ? Exit{true, WTERMSIG(status)} : Exit{false, WEXITSTATUS(status)};
      // What the child wrote last may still be in the pipe: read it before anyone looks.
      std::unique_lock lock(mutex_);
      readerEnded_.wait_until(lock, std::max(deadline, std::chrono::steady_clock::now() + std::chrono::seconds(1)),
                              [this] { return stderrClosed_; });
      return exit_;
    }
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void ChildProcess::Signal(int signal) {
  if (!exit_) kill(pid_, signal);
}

std::string ChildProcess::Stderr() const {
  std::lock_guard lock(mutex_);
  return stderr_;
}

bool ChildProcess::WaitForStderr(std::string_view text, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    if (Stderr().find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return Stderr().find(text) != std::string::npos;
}

}  // namespace quelt::test
