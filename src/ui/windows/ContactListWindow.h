#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/EventListener.h"
#include "core/KeyAction.h"
#include "core/SettingsValues.h"
#include "resources/LookSet.h"
#include "resources/QuickSearchMap.h"
#include "resources/TextResources.h"
#include "ui/model/AccountModels.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/Window.h"
#include "ui/windows/Collator.h"
#include "ui/windows/ContactListMenus.h"
#include "ui/windows/ContactRows.h"
#include "ui/windows/HomeTileLink.h"
#include "ui/windows/StatusTexts.h"
#include "ui/windows/WindowOpener.h"

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class UiLoop;

// The main window: both accounts' contacts in one list, chosen with the joystick or by typing
// names on the keypad; the presence of each account below it, the key actions' toolbar, and the
// program's menus. It keeps no contacts of its own: each look asks the accounts. Main thread.
class ContactListWindow final : public Window,
                                public core::EventListener,
                                public std::enable_shared_from_this<ContactListWindow> {
 public:
  ContactListWindow(core::Application& application, UiLoop& loop, ScreenSize screen,
                    std::shared_ptr<AccountSource> accounts, std::shared_ptr<WindowOpener> opener);

  void Paint(Painter& painter) override;
  bool OnKey(platform::Key key) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;
  // A click on a row selects it; on the selected row it is the action key.
  void OnClick(int x, int y) override;
  void OnCloseRequest() override;
  void OnEvent(const core::AppEventPtr& event) override;

  // The list as it stands after the moves asked so far.
  [[nodiscard]] const std::vector<ContactRow>& Rows();
  [[nodiscard]] const std::u16string& SelectionKey();
  [[nodiscard]] size_t TopRow();
  [[nodiscard]] bool QuickSearchActive() const { return quickSearch_; }
  [[nodiscard]] const std::u16string& Notice() const { return notice_; }
  [[nodiscard]] const StatusTexts& Status() const { return status_; }
  // The home screen's row, which follows the status strip from now on.
  void LinkHomeTile(std::shared_ptr<HomeTileLink> link) { homeTile_ = std::move(link); }

 private:
  struct Layout {
    platform::Rect list;
    platform::Rect status;
    platform::Rect toolbar;
    platform::Rect softKeys;
  };
  // The contact, conversation or header the selection holds, with its account.
  struct Selected {
    ContactRow::Kind kind = ContactRow::Kind::Header;
    std::shared_ptr<AccountModel> account;
    std::optional<ContactEntry> contact;
  };

  [[nodiscard]] Layout LayOut(const resources::SkinData& skin) const;
  // Rows, selection, queued moves and scrolling, brought up to date.
  void Refresh();
  [[nodiscard]] std::optional<Selected> FindSelected();
  [[nodiscard]] std::shared_ptr<AccountModel> Account(Protocol service);
  [[nodiscard]] core::SettingsValues Settings() const;

  void Navigate(Navigation move);
  void RunAction(core::KeyAction action);
  void Toggle(bool core::SettingsValues::*value, bool listChanges);
  void StartQuickSearch();
  void EndQuickSearch();
  void TypeQuickSearchKey(char16_t key);
  void DropQuickSearchKey();
  void OpenChatForSelection();
  void OpenMenu();
  void RunCommand(int command);
  [[nodiscard]] MenuContext MenuContextNow();
  void AskToQuit();
  void Quit();
  void TakeNotice();
  void ShowNotice();
  [[nodiscard]] std::u16string LeftSoftKeyLabel() const;

  core::Application& application_;
  UiLoop& loop_;
  const ScreenSize screen_;
  const std::shared_ptr<AccountSource> accounts_;
  const std::shared_ptr<WindowOpener> opener_;
  const std::shared_ptr<const resources::LookSet> looks_;
  std::shared_ptr<const resources::TextResources> texts_;  // null: the built-in keypad map below
  resources::QuickSearchMap builtInKeypad_;

  StatusTexts status_;
  std::shared_ptr<HomeTileLink> homeTile_;
  Collator collator_;
  std::u16string selectionKey_;
  size_t topRow_ = 0;
  std::deque<Navigation> moves_;
  bool quickSearch_ = false;
  std::u16string quickSearchKeys_;
  std::u16string notice_;
  bool quitting_ = false;

  // The rows of the last refresh and what they were built from: the same contacts, marks and
  // rules give the same rows, so nothing is sorted again.
  std::vector<ContactRow> rows_;
  std::vector<ContactEntry> lastContacts_;
  std::vector<ConversationEntry> lastConversations_;
  RowRules lastRules_;
  std::u16string lastKeys_;
  bool rowsValid_ = false;
  int viewHeight_ = 0;
};

}  // namespace quelt::ui
