#pragma once

#include <memory>
#include <vector>

#include "ui/model/AccountModel.h"

namespace quelt::core {
class Application;
class ProtocolSession;
}  // namespace quelt::core

namespace quelt::ui {

// The accounts the application runs, ICQ first, as the windows see them; the one place that
// knows which engine stands behind each session. Build it again when a session is re-created.
[[nodiscard]] std::vector<std::shared_ptr<AccountModel>> AccountModels(core::Application& application);

// Where the windows find the accounts at each look.
class AccountSource {
 public:
  virtual ~AccountSource() = default;
  [[nodiscard]] virtual std::vector<std::shared_ptr<AccountModel>> Accounts() = 0;
  // Quitting: lets go of the sessions, so that they can end.
  virtual void Release() {}
};

// The application's accounts, built again only when a session is replaced: a model holds the
// chats opened through it. Main thread.
class ApplicationAccounts final : public AccountSource {
 public:
  explicit ApplicationAccounts(core::Application& application) : application_(application) {}
  [[nodiscard]] std::vector<std::shared_ptr<AccountModel>> Accounts() override;
  void Release() override;

 private:
  core::Application& application_;
  std::weak_ptr<core::ProtocolSession> icq_;
  std::weak_ptr<core::ProtocolSession> msn_;
  std::vector<std::shared_ptr<AccountModel>> models_;
};

}  // namespace quelt::ui
