#include "net/ProxyNegotiation.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <charconv>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace quelt::net {
namespace {

constexpr size_t kMaxSocksField = 255;  // one length byte
constexpr size_t kMaxHttpLine = 8192;
constexpr int kMaxHttpHeaderLines = 100;

constexpr uint8_t kSocksVersion = 0x05;
constexpr uint8_t kMethodNone = 0x00;
constexpr uint8_t kMethodPassword = 0x02;
constexpr uint8_t kAddressIpv4 = 0x01;
constexpr uint8_t kAddressName = 0x03;
constexpr uint8_t kAddressIpv6 = 0x04;

std::optional<std::array<uint8_t, 4>> NumericIpv4(const std::string& host) {
  if (host.find('\0') != std::string::npos) return std::nullopt;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_protocol = IPPROTO_TCP;
  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || found == nullptr) return std::nullopt;
  std::array<uint8_t, 4> bytes{};
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof address);
  std::memcpy(bytes.data(), &address.sin_addr.s_addr, bytes.size());
  freeaddrinfo(found);
  return bytes;
}

std::optional<uint16_t> DecimalPort(std::string_view text) {
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFFFF) return std::nullopt;
  return static_cast<uint16_t>(value);
}

void AppendField(std::vector<uint8_t>& out, std::string_view field) {
  out.push_back(static_cast<uint8_t>(field.size()));
  out.insert(out.end(), field.begin(), field.end());
}

bool Receive(ProxyStream& stream, uint8_t* out, size_t count) { return stream.ReceiveExactly({out, count}); }

// RFC 1929: version 1, user, password; any non-zero status refuses.
bool Authenticate(ProxyStream& stream, std::string_view user, std::string_view password) {
  std::vector<uint8_t> request{0x01};
  AppendField(request, user);
  AppendField(request, password);
  std::array<uint8_t, 2> reply{};
  return stream.SendAll(request) && Receive(stream, reply.data(), reply.size()) && reply[1] == 0x00;
}

bool SkipBoundAddress(ProxyStream& stream, uint8_t type) {
  std::array<uint8_t, 257> scratch{};
  switch (type) {
    case kAddressIpv4: return Receive(stream, scratch.data(), 4 + 2);
    case kAddressName:
      return Receive(stream, scratch.data(), 1) && Receive(stream, scratch.data(), scratch[0] + size_t{2});
    case kAddressIpv6: return Receive(stream, scratch.data(), 16 + 2);
    default: return false;
  }
}

// Reads one line ending in CR LF, a byte at a time so that nothing after the proxy's headers
// (the tunnelled stream) is consumed.
std::optional<std::string> ReadLine(ProxyStream& stream) {
  std::string line;
  while (line.size() < kMaxHttpLine) {
    uint8_t byte = 0;
    if (!Receive(stream, &byte, 1)) return std::nullopt;
    line.push_back(static_cast<char>(byte));
    if (line.ends_with("\r\n")) return line;
  }
  return std::nullopt;
}

// The request line is built from these, so they must not be able to end it early.
bool IsRequestToken(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F) return false;
  }
  return !text.empty();
}

}  // namespace

bool NegotiateSocks5(ProxyStream& stream, std::string_view host, std::string_view port, std::string_view user,
                     std::string_view password) {
  const auto portNumber = DecimalPort(port);
  if (!portNumber || host.size() > kMaxSocksField || user.size() > kMaxSocksField || password.size() > kMaxSocksField) {
    return false;
  }
  const auto address = NumericIpv4(std::string(host));

  std::vector<uint8_t> greeting{kSocksVersion, 0x01, kMethodNone};
  if (!user.empty()) greeting = {kSocksVersion, 0x02, kMethodNone, kMethodPassword};
  std::array<uint8_t, 2> choice{};
  if (!stream.SendAll(greeting) || !Receive(stream, choice.data(), choice.size())) return false;
  // Only what was offered is taken (and 02 even unoffered, answered with empty credentials);
  // anything else would send the request in a form the proxy does not expect.
  if (choice[0] != kSocksVersion || (choice[1] != kMethodNone && choice[1] != kMethodPassword)) return false;
  // A proxy that insists on a password although none was offered gets an empty user and password;
  // a password stored without a user name is not given away.
  if (choice[1] == kMethodPassword && !Authenticate(stream, user, user.empty() ? std::string_view() : password)) {
    return false;
  }

  std::vector<uint8_t> request{kSocksVersion, 0x01, 0x00};
  if (address) {
    request.push_back(kAddressIpv4);
    request.insert(request.end(), address->begin(), address->end());
  } else {
    request.push_back(kAddressName);
    AppendField(request, host);
  }
  request.push_back(static_cast<uint8_t>(*portNumber >> 8));
  request.push_back(static_cast<uint8_t>(*portNumber & 0xFF));
  std::array<uint8_t, 4> reply{};
  if (!stream.SendAll(request) || !Receive(stream, reply.data(), reply.size())) return false;
  if (reply[0] != kSocksVersion || reply[1] != 0x00) return false;
  return SkipBoundAddress(stream, reply[3]);
}

bool NegotiateHttpConnect(ProxyStream& stream, std::string_view host, std::string_view port) {
  if (!IsRequestToken(host) || !IsRequestToken(port)) return false;
  std::string request = "CONNECT ";
  request.append(host).append(":").append(port).append(" HTTP/1.1\r\n\r\n");
  if (!stream.SendAll({reinterpret_cast<const uint8_t*>(request.data()), request.size()})) return false;

  // Only the status code is looked at: "200 " right after the first space.
  const auto status = ReadLine(stream);
  if (!status) return false;
  const size_t space = status->find(' ');
  if (space == std::string::npos || status->compare(space + 1, 4, "200 ") != 0) return false;
  for (int lines = 0; lines < kMaxHttpHeaderLines; ++lines) {
    const auto line = ReadLine(stream);
    if (!line) return false;
    if (*line == "\r\n") return true;
  }
  return false;
}

}  // namespace quelt::net
