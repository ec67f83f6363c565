#include "icq/IcqStartup.h"


#include "core/Application.h"
#include "icq/IcqFrameEvent.h"
#include "icq/IcqLoginReply.h"
#include "icq/IcqMetaCodec.h"
#include "icq/IcqSession.h"
#include "icq/OutgoingCommands.h"
#include "icq/ReceivedCommands.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

constexpr uint32_t kChannelParamsTyping = 0x0000000B;
constexpr uint32_t kChannelParamsPlain = 0x00000003;

// The stage-1 replies, one bit each.
uint32_t RightsBit(SnacKind kind) {
  switch (kind) {
    case SnacKind::LocationRights: return 1u << 0;
    case SnacKind::BuddyRights: return 1u << 1;
    case SnacKind::MessageParameters: return 1u << 2;
    case SnacKind::PrivacyRights: return 1u << 3;
    case SnacKind::ListRights: return 1u << 4;
    default: return 0;
  }
}
constexpr uint32_t kAllRights = 0x1F;

void Send(IcqSession& session, SnacPtr snac) { session.SendOnBos(FlapFrame::ForSnac(std::move(snac))); }

}  // namespace

IcqStartup::IcqStartup(std::weak_ptr<IcqSession> session, uint64_t connection, std::vector<uint8_t> cookie)
    : session_(std::move(session)), connection_(connection), cookie_(std::move(cookie)) {}

void IcqStartup::OnEvent(const core::AppEventPtr& event) {
  if (event->Code() != core::EventCode::IcqMainFrame || finished_) return;
  const auto* received = core::PayloadOf<IcqFrameEvent>(*event);
  auto session = session_.lock();
  if (received == nullptr || received->connection != connection_ || !session) return;
  const FlapFrame& frame = *received->frame;

  if (frame.Channel() == kChannelSignOn && frame.Prefix() == std::vector<uint8_t>{0, 0, 0, 1}) {
    TlvChain hello;
    hello.Add(Tlv::FromBytes(kTlvCookie, cookie_));
    session->SendOnBos(FlapFrame::SignOn(std::move(hello)));
    return;
  }
  if (frame.Channel() != kChannelSnac || !frame.Snac()) return;
  switch (stage_) {
    case 0: StageZero(*session, *frame.Snac()); break;
    case 1: StageOne(*session, *frame.Snac()); break;
    case 2: StageTwo(*session, *frame.Snac()); break;
    default: break;
  }
}

void IcqStartup::StageZero(IcqSession& session, const SnacCommand& snac) {
  switch (snac.Kind()) {
    case SnacKind::FamilyList:
      Send(session, MakeClientVersions());
      familiesAnswered_ = true;
      break;
    case SnacKind::ServerVersions:
      Send(session, MakeRateLimitsRequest());
      versionsAnswered_ = true;
      break;
    case SnacKind::RateLimitClasses: {
      const auto* rates = dynamic_cast<const RateLimitClassesSnac*>(&snac);
      // No classes announced: nothing to acknowledge, and start-up goes on all the same.
      if (rates != nullptr && !rates->ClassIds().empty()) Send(session, MakeRateLimitsAck(rates->ClassIds()));
      ratesAnswered_ = true;
      break;
    }
    default: return;
  }
  if (!familiesAnswered_ || !versionsAnswered_ || !ratesAnswered_) return;
  const bool serverRelay = session.App().GetSettings()->Values().icqSupportCh2;
  Send(session, MakeLocationRightsRequest());
  Send(session, MakeSetLocationInfo(serverRelay));
  Send(session, MakeBuddyRightsRequest());
  Send(session, MakeMessageParametersRequest());
  Send(session, MakePrivacyRightsRequest());
  Send(session, MakeListRightsRequest());
  stage_ = 1;
}

void IcqStartup::StageOne(IcqSession& session, const SnacCommand& snac) {
  rightsReceived_ |= RightsBit(snac.Kind());
  if (rightsReceived_ != kAllRights) return;
  const auto values = session.App().GetSettings()->Values();
  Send(session, MakeSetMessageParameters(1, values.typingNotifications ? kChannelParamsTyping : kChannelParamsPlain));
  Send(session, MakeSetMessageParameters(2, kChannelParamsPlain));
  Send(session, MakeSetMessageParameters(4, kChannelParamsPlain));
  const IcqListState list = session.ListState();
  if (list.modificationDate != 0 && !values.icqStartupCheckout) {
    EndListPhase(session);
    return;
  }
  Send(session, MakeListCheck(list.modificationDate, list.itemCount));
  stage_ = 2;
}

void IcqStartup::StageTwo(IcqSession& session, const SnacCommand& snac) {
  const bool lastPart = snac.Kind() == SnacKind::ContactList && (snac.Flags() & kSnacFlagMoreFollow) == 0;
  if (lastPart || snac.Kind() == SnacKind::ListUnchanged) EndListPhase(session);
}

void IcqStartup::EndListPhase(IcqSession& session) {
  Send(session, MakeActivateList());
  if (session.DesiredStatus() != -1) session.ContactList().SyncPrivacy(session.DesiredStatus());
  stage_ = 3;
  Finish(session);
}

void IcqStartup::Finish(IcqSession& session) {
  const int32_t status = session.DesiredStatus();
  // The user may have gone offline meanwhile; the session thread is then closing the connection.
  if (status != -1) Send(session, MakeSetStatus(static_cast<uint32_t>(status)));
  Send(session, MakeClientReady());
  session.Messaging().OnSignedOn();
  Send(session, MakeOfflineMessagesRequest(NumericUin(platform::EncodeCodePage(session.Uin(), platform::kAnsiCodePage).bytes)));
  IcqListState list = session.ListState();
  list.loaded = true;
  session.SetListState(list);
  finished_ = true;
  session.OnStartupDone();
}

}  // namespace quelt::icq
