#include "ui/model/AccountModels.h"

#include "core/Application.h"
#include "icq/IcqSession.h"
#include "msn/MsnSession.h"
#include "ui/model/IcqAccountModel.h"
#include "ui/model/MsnAccountModel.h"

namespace quelt::ui {

std::vector<std::shared_ptr<AccountModel>> AccountModels(core::Application& application) {
  std::vector<std::shared_ptr<AccountModel>> models;
  if (auto icq = std::dynamic_pointer_cast<icq::IcqSession>(application.IcqSession())) {
    models.push_back(std::make_shared<IcqAccountModel>(std::move(icq)));
  }
  if (auto msn = std::dynamic_pointer_cast<msn::MsnSession>(application.MsnSession())) {
    models.push_back(std::make_shared<MsnAccountModel>(std::move(msn)));
  }
  return models;
}

std::vector<std::shared_ptr<AccountModel>> ApplicationAccounts::Accounts() {
  const auto icq = application_.IcqSession();
  const auto msn = application_.MsnSession();
  // owner_before compares identities without keeping a released session alive.
  const auto same = [](const std::weak_ptr<core::ProtocolSession>& held,
                       const std::shared_ptr<core::ProtocolSession>& now) {
    return !held.owner_before(now) && !now.owner_before(held) && (now != nullptr) == !held.expired();
  };
  if (!same(icq_, icq) || !same(msn_, msn)) {
    icq_ = icq;
    msn_ = msn;
    models_ = AccountModels(application_);
  }
  return models_;
}

void ApplicationAccounts::Release() {
  models_.clear();
  icq_.reset();
  msn_.reset();
}

}  // namespace quelt::ui
