#pragma once

#include <cstdint>
#include <memory>

#include "core/EventListener.h"

namespace quelt::icq {

class IcqSession;

// The dialogue with the login server, on the hub thread: answers its hello with the sign-on
// frame, then takes the redirect to the BOS server or the refusal.
class IcqLoginHandler final : public core::EventListener {
 public:
  IcqLoginHandler(std::weak_ptr<IcqSession> session, uint64_t connection);
  void OnEvent(const core::AppEventPtr& event) override;

 private:
  const std::weak_ptr<IcqSession> session_;
  const uint64_t connection_;
};

}  // namespace quelt::icq
