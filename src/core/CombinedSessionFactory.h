#pragma once

#include <memory>

#include "core/ApplicationServices.h"

namespace quelt::core {

// One factory for the application from the engines' own: each builds the sessions of its service.
class CombinedSessionFactory final : public SessionFactory {
 public:
  CombinedSessionFactory(std::shared_ptr<SessionFactory> icq, std::shared_ptr<SessionFactory> msn)
      : icq_(std::move(icq)), msn_(std::move(msn)) {}

  [[nodiscard]] std::shared_ptr<ProtocolSession> CreateIcqSession(Application& application,
                                                                  const std::u16string& uin) override {
    return icq_ ? icq_->CreateIcqSession(application, uin) : nullptr;
  }
  [[nodiscard]] std::shared_ptr<ProtocolSession> CreateMsnSession(Application& application,
                                                                  const std::u16string& email) override {
    return msn_ ? msn_->CreateMsnSession(application, email) : nullptr;
  }

 private:
  const std::shared_ptr<SessionFactory> icq_;
  const std::shared_ptr<SessionFactory> msn_;
};

}  // namespace quelt::core
