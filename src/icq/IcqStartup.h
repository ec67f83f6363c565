#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/EventListener.h"

namespace quelt::icq {

class IcqSession;
class SnacCommand;

// The start-up exchange on a fresh BOS connection, on the hub thread: cookie, families,
// versions and rate limits (stage 0), the rights replies (stage 1), the contact-list check
// (stage 2), then status, client ready and the offline-message request (finish).
class IcqStartup final : public core::EventListener {
 public:
  IcqStartup(std::weak_ptr<IcqSession> session, uint64_t connection, std::vector<uint8_t> cookie);
  void OnEvent(const core::AppEventPtr& event) override;

  [[nodiscard]] int Stage() const { return stage_; }

 private:
  void StageZero(IcqSession& session, const SnacCommand& snac);
  void StageOne(IcqSession& session, const SnacCommand& snac);
  void StageTwo(IcqSession& session, const SnacCommand& snac);
  void EndListPhase(IcqSession& session);
  void Finish(IcqSession& session);

  const std::weak_ptr<IcqSession> session_;
  const uint64_t connection_;
  const std::vector<uint8_t> cookie_;
  int stage_ = 0;
  bool familiesAnswered_ = false;
  bool versionsAnswered_ = false;
  bool ratesAnswered_ = false;
  uint32_t rightsReceived_ = 0;  // one bit per rights reply of stage 1
  bool finished_ = false;
};

}  // namespace quelt::icq
