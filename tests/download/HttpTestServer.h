#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"

namespace quelt::test {

// A scripted HTTP server on a free loopback port, run by python3, stopped when the object goes.
// Its paths, with n a byte count:
//   /file/n      n bytes with their length          /chunked/n   n bytes, chunked
//   /chunkcut/n  n bytes chunked, then the end cut  /redirect/n  302 to /file/n
//   /slow/n      n bytes announced, 1000 every 50 ms   /proxied/n   /file/n through a proxy, else 404
//   /silent/0    nothing at all                     /silent/n    a head announcing n, then nothing
//   anything else: 404
// The bytes of a body are HttpTestBody(n).
class HttpTestServer {
 public:
  struct Request {
    std::string path;
    bool viaProxy = false;  // the request carried a proxy's Via header
  };

  // Nothing, with the reason in `error`, when the server does not come up.
  [[nodiscard]] static std::unique_ptr<HttpTestServer> Start(const std::filesystem::path& folder, std::string& error);

  [[nodiscard]] uint16_t Port() const { return port_; }
  [[nodiscard]] std::string Url(const std::string& path) const;
  // Every request so far, in the order they arrived.
  [[nodiscard]] std::vector<Request> Requests() const;
  // The same, once there are at least `count` (or after a few seconds): the server notes a request
  // before it answers, but the note may reach this process after the answer.
  [[nodiscard]] std::vector<Request> Requests(size_t count) const;

 private:
  HttpTestServer() = default;
  std::unique_ptr<ChildProcess> process_;
  uint16_t port_ = 0;
};

[[nodiscard]] std::string HttpTestBody(size_t size);

}  // namespace quelt::test
