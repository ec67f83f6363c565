#pragma once

#include "core/ApplicationServices.h"
#include "msn/MsnTimings.h"

namespace quelt::msn {

// Builds MSN sessions; it has none for ICQ accounts.
class MsnSessionFactory final : public core::SessionFactory {
 public:
  explicit MsnSessionFactory(MsnTimings timings = {}) : timings_(std::move(timings)) {}
  [[nodiscard]] std::shared_ptr<core::ProtocolSession> CreateIcqSession(core::Application&,
                                                                        const std::u16string&) override {
    return nullptr;
  }
  [[nodiscard]] std::shared_ptr<core::ProtocolSession> CreateMsnSession(core::Application& application,
                                                                        const std::u16string& email) override;

 private:
  const MsnTimings timings_;
};

}  // namespace quelt::msn
