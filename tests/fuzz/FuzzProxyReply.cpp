// The proxy's side of a negotiation is arbitrary bytes; every exchange must stay within them,
// and an accepted HTTP answer must have ended exactly at the blank line after its headers.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "net/ProxyNegotiation.h"

namespace {

class ScriptedStream final : public quelt::net::ProxyStream {
 public:
  explicit ScriptedStream(std::span<const uint8_t> input) : input_(input) {}
  bool SendAll(std::span<const uint8_t>) override { return true; }
  bool ReceiveExactly(std::span<uint8_t> out) override {
    if (out.size() > input_.size() - consumed_) return false;
    std::memcpy(out.data(), input_.data() + consumed_, out.size());
    consumed_ += out.size();
    return true;
  }
  [[nodiscard]] size_t Consumed() const { return consumed_; }

 private:
  std::span<const uint8_t> input_;
  size_t consumed_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::net;
  const std::span<const uint8_t> input(data, size);
  for (const char* host : {"192.0.2.7", "login.example.net"}) {
    for (const char* user : {"", "someone"}) {
      ScriptedStream stream(input);
      (void)NegotiateSocks5(stream, host, "5190", user, "secret");
    }
  }
  ScriptedStream stream(input);
  if (NegotiateHttpConnect(stream, "login.example.net", "5190") &&
      (stream.Consumed() < 4 || std::memcmp(data + stream.Consumed() - 4, "\r\n\r\n", 4) != 0)) {
    std::abort();
  }
  return 0;
}
