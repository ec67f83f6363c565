#include "icq/IcqLoginHandler.h"

#include <string>

#include "core/Application.h"
#include "icq/IcqFrameEvent.h"
#include "icq/IcqLoginReply.h"
#include "icq/IcqSession.h"
#include "icq/OutgoingCommands.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

bool IsHello(const FlapFrame& frame) {
  return frame.Channel() == kChannelSignOn && frame.Prefix() == std::vector<uint8_t>{0, 0, 0, 1} &&
         frame.Tlvs().Empty();
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

  IcqLoginReply reply = ReadLoginReply(frame.Tlvs());
  if (auto* redirect = std::get_if<IcqRedirect>(&reply)) {
    session->OnRedirected(std::move(redirect->host), std::move(redirect->port), std::move(redirect->cookie));
  } else {
    session->OnLoginRefused(std::get<IcqRefusal>(reply).code);
  }
}

}  // namespace quelt::icq
