#pragma once

#include "core/ApplicationServices.h"
#include "icq/IcqTimings.h"

namespace quelt::icq {

// Builds ICQ sessions; it has none for MSN accounts (see CombinedSessionFactory).
class IcqSessionFactory final : public core::SessionFactory {
 public:
  explicit IcqSessionFactory(IcqTimings timings = {}) : timings_(timings) {}
  [[nodiscard]] std::shared_ptr<core::ProtocolSession> CreateIcqSession(core::Application& application,
                                                                        const std::u16string& uin) override;
  [[nodiscard]] std::shared_ptr<core::ProtocolSession> CreateMsnSession(core::Application& application,
                                                                        const std::u16string& email) override;

 private:
  const IcqTimings timings_;
};

}  // namespace quelt::icq
