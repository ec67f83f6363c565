#pragma once

#include "core/ApplicationParts.h"
#include "icq/IcqTimings.h"

namespace quelt::icq {

// Builds the protocol sessions for the application. MSN accounts get no session until the MSN
// engine is part of the program.
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
