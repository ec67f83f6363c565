#pragma once

#include "ui/windows/WindowOpener.h"

namespace quelt::ui {

// The screens the contact list opens, as this build has them. Chats, the information and search
// windows, the dialogs and the download list are still to come; until each is here, choosing it
// is logged and nothing opens. Main thread.
class ProgramWindows final : public WindowOpener {
 public:
  void OpenChat(const std::shared_ptr<AccountModel>& account, const std::u16string& id) override;
  void OpenInfo(const std::shared_ptr<AccountModel>& account, const std::u16string& id) override;
  void OpenContactSettings(const std::shared_ptr<AccountModel>& account, const std::u16string& id) override;
  void OpenSearch(Protocol service) override;
  void OpenDialog(Dialog dialog) override;
};

}  // namespace quelt::ui
