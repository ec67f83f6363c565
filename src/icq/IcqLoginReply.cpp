#include "icq/IcqLoginReply.h"

#include <optional>

namespace quelt::icq {
namespace {

constexpr uint16_t kTlvBosAddress = 0x0005;
constexpr uint16_t kTlvErrorUrl = 0x0008;
constexpr uint16_t kTlvErrorCode = 0x0009;
constexpr char kDefaultPort[] = "5190";

// The first two bytes of the TLV, big-endian; nothing when it is absent or shorter.
std::optional<uint16_t> LeadingCode(const Tlv* tlv) {
  if (tlv == nullptr || tlv->value.size() < 2) return std::nullopt;
  return static_cast<uint16_t>(tlv->value[0] << 8 | tlv->value[1]);
}

}  // namespace

IcqLoginReply ReadLoginReply(const TlvChain& tlvs) {
  const Tlv* address = tlvs.Find(kTlvBosAddress);
  const Tlv* cookie = tlvs.Find(kTlvCookie);
  if (address != nullptr && cookie != nullptr) {
    const std::string text(address->value.begin(), address->value.end());
    const auto colon = text.rfind(':');
    // Without a port the server's own default is the only sensible guess.
    if (colon == std::string::npos) return IcqRedirect{text, kDefaultPort, cookie->value};
    return IcqRedirect{text.substr(0, colon), text.substr(colon + 1), cookie->value};
  }
  return IcqRefusal{LeadingCode(tlvs.Find(kTlvErrorCode)).value_or(LeadingCode(tlvs.Find(kTlvErrorUrl)).value_or(0))};
}

}  // namespace quelt::icq
