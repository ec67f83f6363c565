// A login server's last frame is arbitrary TLVs. The reply read from them is a redirect exactly
// when the address and the cookie are both there, and then holds them unchanged: the address
// split at its last colon, or whole with the default port.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <variant>

#include "icq/IcqLoginReply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::icq;
  const TlvChain tlvs = TlvChain::Read(std::span<const uint8_t>(data, size));
  const Tlv* address = tlvs.Find(0x0005);
  const Tlv* cookie = tlvs.Find(0x0006);
  const IcqLoginReply reply = ReadLoginReply(tlvs);
  const auto* redirect = std::get_if<IcqRedirect>(&reply);
  if ((redirect != nullptr) != (address != nullptr && cookie != nullptr)) std::abort();
  if (redirect == nullptr) return 0;
  if (redirect->cookie != cookie->value) std::abort();
  const std::string text(address->value.begin(), address->value.end());
  if (text.find(':') == std::string::npos) {
    if (redirect->host != text || redirect->port != "5190") std::abort();
  } else if (redirect->host + ":" + redirect->port != text || redirect->port.find(':') != std::string::npos) {
    std::abort();
  }
  return 0;
}
