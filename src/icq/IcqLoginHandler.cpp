#include "icq/IcqLoginHandler.h"

#include <string>

#include "core/Application.h"
#include "icq/IcqFrameEvent.h"
#include "icq/IcqSession.h"
#include "icq/OutgoingCommands.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

constexpr uint16_t kTlvBosAddress = 0x0005;
constexpr uint16_t kTlvCookie = 0x0006;
constexpr uint16_t kTlvErrorUrl = 0x0008;
constexpr uint16_t kTlvErrorCode = 0x0009;
constexpr char kDefaultPort[] = "5190";

bool IsHello(const FlapFrame& frame) {
  return frame.Channel() == kChannelSignOn && frame.Prefix() == std::vector<uint8_t>{0, 0, 0, 1} &&
         frame.Tlvs().Empty();
}

// The first two bytes of the TLV, big-endian; nothing when it is absent or shorter.
std::optional<uint16_t> LeadingCode(const Tlv* tlv) {
  if (tlv == nullptr || tlv->value.size() < 2) return std::nullopt;
  return static_cast<uint16_t>(tlv->value[0] << 8 | tlv->value[1]);
}

}  // namespace

IcqLoginHandler::IcqLoginHandler(std::weak_ptr<IcqSession> session, uint64_t connection)
    : session_(std::move(session)), connection_(connection) {}

void IcqLoginHandler::OnEvent(const core::AppEventPtr& event) {
  if (event->Code() != core::EventCode::IcqLoginFrame) return;
  const auto* received = core::PayloadOf<IcqFrameEvent>(*event);
  auto session = session_.lock();
  if (received == nullptr || received->connection != connection_ || !session) return;
  const FlapFrame& frame = *received->frame;

  if (IsHello(frame)) {
    const auto values = session->App().GetSettings()->Values();
    const std::string uin = platform::EncodeCodePage(session->Uin(), platform::kAnsiCodePage).bytes;
    session->SendOnLogin(FlapFrame::SignOn(MakeSignOnTlvs(uin, values.password, session->App().TextCodePage())));
    return;
  }
  if (frame.Channel() != kChannelSignOff) return;

  const Tlv* address = frame.FindTlv(kTlvBosAddress);
  const Tlv* cookie = frame.FindTlv(kTlvCookie);
  if (address != nullptr && cookie != nullptr) {
    const std::string text(address->value.begin(), address->value.end());
    const auto colon = text.rfind(':');
    // Without a port the server's own default is the only sensible guess.
    std::string host = colon == std::string::npos ? text : text.substr(0, colon);
    std::string port = colon == std::string::npos ? kDefaultPort : text.substr(colon + 1);
    session->OnRedirected(std::move(host), std::move(port), cookie->value);
    return;
  }
  const uint16_t code =
      LeadingCode(frame.FindTlv(kTlvErrorCode)).value_or(LeadingCode(frame.FindTlv(kTlvErrorUrl)).value_or(0));
  session->OnLoginRefused(code);
}

}  // namespace quelt::icq
