#include "icq/IcqDirectory.h"

#include "core/Application.h"
#include "icq/IcqEvents.h"

namespace quelt::icq {

IcqDirectory::IcqDirectory(core::Application& application, uint32_t ownUin, Hooks hooks)
    : application_(application), ownUin_(ownUin), hooks_(std::move(hooks)) {}

uint32_t IcqDirectory::Begin(Kind kind) {
  std::lock_guard lock(mutex_);
  const uint32_t id = nextRequestId_++;
  open_[id] = Open{.kind = kind};
  return id;
}

uint32_t IcqDirectory::RequestInfo(uint32_t uin) {
  if (!hooks_.isOnline()) return 0;
  const uint32_t id = Begin(Kind::Info);
  hooks_.sendOnBos(FlapFrame::ForSnac(MakeUserInfoRequest(ownUin_, uin, id)));
  return id;
}

uint32_t IcqDirectory::SearchByUin(uint32_t uin) {
  if (!hooks_.isOnline()) return 0;
  const uint32_t id = Begin(Kind::Search);
  uint16_t sequence = 0;
  {
    std::lock_guard lock(mutex_);
    sequence = nextSequence_++;
  }
  hooks_.sendOnBos(FlapFrame::ForSnac(MakeSearchByUin(ownUin_, uin, id, sequence)));
  return id;
}

uint32_t IcqDirectory::Search(const IcqSearchQuery& query) {
  if (!hooks_.isOnline()) return 0;
  const uint32_t id = Begin(Kind::Search);
  uint16_t sequence = 0;
  {
    std::lock_guard lock(mutex_);
    sequence = nextSequence_++;
  }
  FramePtr frame = FlapFrame::ForSnac(MakeSearchByData(ownUin_, query, id, sequence, application_.TextCodePage()));
  if (!frame) {
    // A criterion too long to send: no request, so no window waits for an answer.
    std::lock_guard lock(mutex_);
    open_.erase(id);
    return 0;
  }
  hooks_.sendOnBos(std::move(frame));
  return id;
}

void IcqDirectory::OnSnac(const SnacCommand& snac) {
  const uint32_t id = snac.RequestId();
  if (snac.Kind() == SnacKind::MetaError) {
    bool waiting = false;
    {
      std::lock_guard lock(mutex_);
      waiting = open_.erase(id) > 0;
    }
    // Errors answering nobody's request (the offline store's, say) concern no window.
    if (waiting) application_.PostEvent(core::MakeEvent(core::EventCode::IcqError, core::ErrorPayload{0x0015, 0x0001}));
    return;
  }
  if (snac.Kind() != SnacKind::MetaReply) return;
  const auto reply = ParseMetaReply(snac.Data());
  if (!reply || reply->command != kMetaReply) return;
  std::lock_guard lock(mutex_);
  const auto it = open_.find(id);
  if (it == open_.end()) return;
  if (it->second.kind == Kind::Info) {
    ReadUserInfoPart(*reply, application_.TextCodePage(), it->second.info);
    application_.PostEvent(
        core::MakeEvent(core::EventCode::IcqUserInfoReceived, IcqUserInfoEvent{id, it->second.info}));
    if (reply->subtype == kMetaNotes) open_.erase(it);  // the last of the three parts
    return;
  }
  auto result = ParseSearchResult(*reply, application_.TextCodePage());
  if (!result) {
    // An unsuccessful reply: no (more) results.
    application_.PostEvent(core::MakeEvent(core::EventCode::IcqSearchResult, IcqSearchEvent{id, {.last = true}}));
    open_.erase(it);
    return;
  }
  const bool last = result->last;
  application_.PostEvent(core::MakeEvent(core::EventCode::IcqSearchResult, IcqSearchEvent{id, std::move(*result)}));
  if (last) open_.erase(it);
}

}  // namespace quelt::icq
