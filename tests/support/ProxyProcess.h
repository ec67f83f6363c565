#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "support/ChildProcess.h"

namespace quelt::test {

// A real proxy server (dante for SOCKS5, tinyproxy for HTTP CONNECT) started on a free loopback
// port with a configuration file of its own in `folder`. Stopped when the object goes.
class ProxyProcess {
 public:
  // `method` is dante's socksmethod: "none", or "username" to check user and password against
  // the system's accounts. Nothing, with the reason in `error`, when the proxy does not come up.
  [[nodiscard]] static std::unique_ptr<ProxyProcess> StartDante(const std::filesystem::path& folder,
                                                                const std::string& method, std::string& error);
  [[nodiscard]] static std::unique_ptr<ProxyProcess> StartTinyproxy(const std::filesystem::path& folder,
                                                                    std::string& error);
  ~ProxyProcess();

  [[nodiscard]] uint16_t Port() const { return port_; }
  [[nodiscard]] std::string Output() const { return process_->Stderr(); }

 private:
  ProxyProcess() = default;
  [[nodiscard]] static std::unique_ptr<ProxyProcess> Start(const std::filesystem::path& folder,
                                                           const std::filesystem::path& program,
                                                           const std::string& flags, std::string config,
                                                           std::string& error);
  std::unique_ptr<ChildProcess> process_;
  uint16_t port_ = 0;
};

}  // namespace quelt::test
