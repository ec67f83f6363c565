#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "ui/chat/ChatWindow.h"
#include "ui/shell/ScreenSize.h"
#include "ui/shell/UiLoop.h"
#include "ui/windows/DownloadsWindow.h"
#include "ui/windows/WindowOpener.h"

namespace quelt::core {
class Application;
}
namespace quelt::download {
class DownloadManager;
}

namespace quelt::ui {

// The screens the contact list opens, as this build has them. The information and search
// windows and the dialogs are still to come; until each is here, choosing it is logged and
// nothing opens. Main thread.
class ProgramWindows final : public WindowOpener, public std::enable_shared_from_this<ProgramWindows> {
 public:
  ProgramWindows(core::Application& application, UiLoop& loop, ScreenSize screen)
      : application_(application), loop_(loop), screen_(screen) {}

  void OpenChat(const std::shared_ptr<AccountModel>& account, const std::u16string& id) override;
  void OpenInfo(const std::shared_ptr<AccountModel>& account, const std::u16string& id) override;
  void OpenContactSettings(const std::shared_ptr<AccountModel>& account, const std::u16string& id) override;
  void OpenSearch(Protocol service) override;
  void OpenDialog(Dialog dialog) override;
  // The download list, with the task at `select` chosen.
  void ShowDownloads(std::optional<size_t> select);

 private:
  // The application's download list; null in a build without one.
  [[nodiscard]] std::shared_ptr<download::DownloadManager> DownloadList() const;

  core::Application& application_;
  UiLoop& loop_;
  const ScreenSize screen_;
  std::vector<std::weak_ptr<ChatWindow>> chats_;
  std::shared_ptr<DownloadsWindow> downloads_;  // kept while hidden: it keeps its selection
};

}  // namespace quelt::ui
