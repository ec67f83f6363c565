#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace quelt::net {

// The byte stream to a proxy during negotiation: the socket in the program, scripted bytes in
// tests and fuzzing. Implementations apply the time-out.
class ProxyStream {
 public:
  virtual ~ProxyStream() = default;
  // Writes every byte; false on failure or time-out.
  [[nodiscard]] virtual bool SendAll(std::span<const uint8_t> bytes) = 0;
  // Fills `out` completely; false when the stream ends, fails or times out first.
  [[nodiscard]] virtual bool ReceiveExactly(std::span<uint8_t> out) = 0;
};

// The SOCKS5 exchange of RFC 1928, with RFC 1929 user name and password when `user` is not empty,
// asking the proxy to CONNECT to host:port. A dotted IPv4 host is sent as an address, anything
// else as a name. True when the tunnel is open.
[[nodiscard]] bool NegotiateSocks5(ProxyStream& stream, std::string_view host, std::string_view port,
                                   std::string_view user, std::string_view password);

// "CONNECT host:port HTTP/1.1": true when the proxy answers 200 and ends its headers.
[[nodiscard]] bool NegotiateHttpConnect(ProxyStream& stream, std::string_view host, std::string_view port);

}  // namespace quelt::net
