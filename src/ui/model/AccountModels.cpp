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

}  // namespace quelt::ui
