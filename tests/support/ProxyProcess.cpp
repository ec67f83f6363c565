#include "support/ProxyProcess.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/LoopbackServer.h"
#include "support/TempFolder.h"

namespace quelt::test {

using namespace std::chrono_literals;

std::unique_ptr<ProxyProcess> ProxyProcess::StartDante(const std::filesystem::path& folder, const std::string& method,
                                                       std::string& error) {
  std::string config =
      "logoutput: stderr\ninternal: 127.0.0.1 port = PORT\nexternal: 127.0.0.1\nclientmethod: none\nsocksmethod: " +
      method + "\n";
  if (geteuid() == 0) config += "user.privileged: root\nuser.unprivileged: nobody\n";
  config += "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\nsocks pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n";
  return Start(folder, "/usr/sbin/danted", "-N 1 -f", config, error);
}

std::unique_ptr<ProxyProcess> ProxyProcess::StartTinyproxy(const std::filesystem::path& folder, std::string& error) {
  std::string config = "Port PORT\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 60\nLogLevel Info\n";
  if (geteuid() == 0) config += "User nobody\nGroup nogroup\n";
  return Start(folder, "/usr/bin/tinyproxy", "-d -c", config, error);
}

std::unique_ptr<ProxyProcess> ProxyProcess::Start(const std::filesystem::path& folder,
                                                  const std::filesystem::path& program, const std::string& flags,
                                                  std::string config, std::string& error) {
  if (!std::filesystem::exists(program)) {
    error = program.string() + " is missing: run tools/install-deps.sh";
    return nullptr;
  }
  auto proxy = std::unique_ptr<ProxyProcess>(new ProxyProcess());
  proxy->port_ = LoopbackServer([](int) {}).Port();  // free once that server is gone
  const auto configFile = folder / (program.filename().string() + ".conf");
  WriteFile(configFile, config.replace(config.find("PORT"), 4, std::to_string(proxy->port_)));
  // ChildProcess passes no arguments, so a small script carries them.
  const auto script = folder / (program.filename().string() + ".sh");
  WriteFile(script, "#!/bin/sh\nexec " + program.string() + " " + flags + " " + configFile.string() + " 1>&2\n");
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  proxy->process_ = ChildProcess::Start(script, {});
  if (!proxy->process_) {
    error = "cannot start " + program.string();
    return nullptr;
  }
  // The proxy offers nothing to wait on but its port.
  for (const auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;
       std::this_thread::sleep_for(20ms)) {
    if (proxy->process_->WaitForExit(0ms)) {
      error = program.string() + " ended:\n" + proxy->process_->Stderr();
      return nullptr;
    }
    if (LoopbackServer::CanConnect(proxy->port_)) return proxy;
  }
  error = program.string() + " does not listen:\n" + proxy->process_->Stderr();
  return nullptr;
}

ProxyProcess::~ProxyProcess() {
  // Asked politely first, so that dante takes its worker processes with it.
  process_->Signal(SIGTERM);
  (void)process_->WaitForExit(10s);
}

}  // namespace quelt::test
