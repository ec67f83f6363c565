#include "ui/shell/ProgramWindows.h"

#include "core/Application.h"
#include "download/DownloadManager.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/model/AccountModels.h"
#include "ui/toolkit/WindowStack.h"
#include "ui/windows/SearchWindow.h"
#include "ui/windows/UserInfoWindow.h"

namespace quelt::ui {

void ProgramWindows::OpenChat(const std::shared_ptr<AccountModel>& account, const std::u16string& id) {
  const auto chat = account ? account->OpenChat(id) : nullptr;
  if (!chat) return;
  std::erase_if(chats_, [](const auto& weak) { return weak.expired(); });
  for (const auto& weak : chats_) {
    // Open already: to the front.
    if (const auto window = weak.lock(); window && window->Chat() == chat && !window->Closed()) {
      loop_.Windows().Remove(window.get());
      loop_.Windows().Push(window);
      return;
    }
  }
  auto services = ChatServices::System();
  services.download = [weak = weak_from_this()](const std::u16string& link) {
    const auto self = weak.lock();
    if (const auto list = self ? self->DownloadList() : nullptr) self->ShowDownloads(list->AddLink(link).index);
  };
  chats_.push_back(ChatWindow::Open(application_, loop_, screen_, account, chat, std::move(services)));
}

void ProgramWindows::OpenInfo(const std::shared_ptr<AccountModel>& account, const std::u16string& id) {
  OpenUserInfo(application_, loop_.Windows(), screen_, account, id);
}

void ProgramWindows::OpenContactSettings(const std::shared_ptr<AccountModel>& account, const std::u16string& id) {
  OpenContactOptions(application_, loop_.Windows(), screen_, account, id);
}

void ProgramWindows::OpenSearch(Protocol service) {
  ApplicationAccounts accounts(application_);
  for (const auto& account : accounts.Accounts()) {
    if (account->Service() == service) return ui::OpenSearch(application_, loop_.Windows(), screen_, account);
  }
}

std::shared_ptr<download::DownloadManager> ProgramWindows::DownloadList() const {
  return std::dynamic_pointer_cast<download::DownloadManager>(application_.Services().downloads);
}

void ProgramWindows::ShowDownloads(std::optional<size_t> select) {
  if (!downloads_) {
    auto list = DownloadList();
    if (!list) return;
    downloads_ = DownloadsWindow::Open(application_, loop_, screen_, std::move(list));
  } else {
    downloads_->Show();
  }
  if (select) downloads_->Select(*select);
}

void ProgramWindows::OpenDialog(Dialog dialog) {
  switch (dialog) {
    case Dialog::Downloads: return ShowDownloads(std::nullopt);
    case Dialog::AccountsNetwork: return OpenAccountDialog(application_, loop_.Windows(), screen_);
    case Dialog::Settings: return OpenSettingsDialog(application_, loop_.Windows(), screen_);
    case Dialog::Folders: return OpenFoldersDialog(application_, loop_.Windows(), screen_);
    case Dialog::IconsSmiliesSkin: return OpenSkinDialog(application_, loop_.Windows(), screen_);
    case Dialog::Toolbar: return OpenKeyConfigDialog(application_, loop_.Windows(), screen_);
    case Dialog::Language: return OpenLanguageDialog(application_, loop_.Windows(), screen_);
    case Dialog::HomeScreenSetup: return OpenHomeScreenSetup(application_, loop_.Windows(), screen_);
    case Dialog::HomeScreenDeleteScheme: return DeleteHomeScreenScheme(application_, loop_.Windows(), screen_);
    case Dialog::About: return OpenAboutDialog(application_, loop_.Windows(), screen_);
  }
}

}  // namespace quelt::ui
