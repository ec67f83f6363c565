#pragma once

#include <memory>
#include <string>

#include "ui/model/AccountModel.h"

namespace quelt::ui {

// The windows the contact list opens that are screens of their own: chats, information and
// search windows, the dialogs and the download list. Main thread.
class WindowOpener {
 public:
  enum class Dialog {
    Downloads,
    AccountsNetwork,
    Settings,
    Folders,
    IconsSmiliesSkin,
    Toolbar,
    Language,
    HomeScreenSetup,
    HomeScreenDeleteScheme,
    About,
  };

  virtual ~WindowOpener() = default;
  // Opens the chat with a contact or a multi-party conversation of the account, or brings it to
  // the front when it is open.
  virtual void OpenChat(const std::shared_ptr<AccountModel>& account, const std::u16string& id) = 0;
  virtual void OpenInfo(const std::shared_ptr<AccountModel>& account, const std::u16string& id) = 0;
  virtual void OpenContactSettings(const std::shared_ptr<AccountModel>& account, const std::u16string& id) = 0;
  virtual void OpenSearch(Protocol service) = 0;
  virtual void OpenDialog(Dialog dialog) = 0;
};

}  // namespace quelt::ui
