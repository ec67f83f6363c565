#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/EventListener.h"
#include "ui/chat/ChatMenus.h"
#include "ui/chat/ChatMessageList.h"
#include "ui/model/AccountModel.h"
#include "ui/shell/ScreenSize.h"
#include "ui/shell/UiLoop.h"
#include "ui/toolkit/AnimationScheduler.h"
#include "ui/toolkit/TextBox.h"
#include "ui/toolkit/Window.h"

namespace quelt::core {
class Application;
}
namespace quelt::resources {
class LookSet;
class SmileySet;
class SmileyTable;
}  // namespace quelt::resources

namespace quelt::ui {

// What a chat window reaches outside the program; tests put their own in.
struct ChatServices {
  std::function<bool(std::u16string_view)> setClipboard;
  std::function<std::optional<std::u16string>()> clipboard;
  // Starts a program with its arguments, without a shell.
  std::function<bool(const std::vector<std::string>&)> launch;
  // The user's browser command, "%1" standing for the link.
  std::function<std::string()> browserCommand;
  // Hands a link to the download list.
  std::function<void(const std::u16string&)> download;
  // After the last edit, typing counts as stopped (ICQ) once this much time has gone by.
  uint32_t typingPauseMs = 5000;

  // The desktop's clipboard, the registry's browser command and posix_spawn.
  [[nodiscard]] static ChatServices System();
};

// One conversation: its messages above, the entry area below. In entry mode the keys edit the
// entry; Up from its first line enters list mode, where they move through messages and links.
// Main thread.
class ChatWindow final : public Window, public core::EventListener, public std::enable_shared_from_this<ChatWindow> {
 public:
  // Shows the chat on top of the stack and listens to the application's events until it closes.
  static std::shared_ptr<ChatWindow> Open(core::Application& application, UiLoop& loop, ScreenSize screen,
                                          std::shared_ptr<AccountModel> account, std::shared_ptr<ChatModel> chat,
                                          ChatServices services = ChatServices::System());
  ~ChatWindow() override;

  void Paint(Painter& painter) override;
  bool OnKey(platform::Key key) override;
  bool OnText(std::u16string_view text) override;
  [[nodiscard]] std::optional<platform::Key> KeyForClick(int x, int y) const override;
  void OnEvent(const core::AppEventPtr& event) override;

  [[nodiscard]] const std::shared_ptr<ChatModel>& Chat() const { return chat_; }
  [[nodiscard]] bool ListMode() const { return listMode_; }
  [[nodiscard]] bool Closed() const { return closed_; }
  [[nodiscard]] const TextBox& Entry() const { return entry_; }
  [[nodiscard]] ChatMessageList& Messages() { return list_; }
  [[nodiscard]] std::u16string RightSoftKeyLabel() const;
  // The contact's name, or the participants', and whether someone types.
  [[nodiscard]] std::u16string Title() const;

 private:
  ChatWindow(core::Application& application, UiLoop& loop, ScreenSize screen, std::shared_ptr<AccountModel> account,
             std::shared_ptr<ChatModel> chat, ChatServices services);
  void Start();

  [[nodiscard]] ChatListStyle CurrentStyle();
  // Sets the entry's text as the program, not the user: no typing notice goes out.
  void SetEntryText(std::u16string_view text);
  // The conversation's smiley set once loaded; null without one.
  [[nodiscard]] const resources::SmileyTable* LoadedSmileys();
  [[nodiscard]] bool CanSendNow() const;
  [[nodiscard]] bool WantsSend() const;
  void EntryChanged();
  void StopTyping();
  void CheckTypingPause();
  void Send();
  void ShowCantSend();
  void Close();
  void EnterListMode();
  void LeaveListMode();
  void Refresh();
  void OpenMenu();
  void RunCommand(int command);
  void OpenSmileyPicker();
  void ShowParticipants();
  void AnimateVisibleSmileys();
  [[nodiscard]] int FrameOf(const std::shared_ptr<platform::Image>& image) const;
  void OpenSelectedLink();
  void AskToClearHistory();
  [[nodiscard]] std::vector<ContactEntry> Invitable() const;

  core::Application& application_;
  UiLoop& loop_;
  const ScreenSize screen_;
  const std::shared_ptr<AccountModel> account_;
  const std::shared_ptr<ChatModel> chat_;
  const std::shared_ptr<core::Conversation> conversation_;
  const ChatServices services_;
  const std::shared_ptr<const resources::LookSet> looks_;
  TextBox entry_;
  ChatMessageList list_;
  bool listMode_ = false;
  bool typing_ = false;
  uint32_t lastEdit_ = 0;
  std::optional<UiLoop::TimerId> typingTimer_;
  bool sending_ = false;  // a message of ours is on its way and holds the entry
  bool closed_ = false;
  bool styled_ = false;
  bool restoring_ = false;  // the program, not the user, is setting the entry's text
  std::shared_ptr<resources::SmileySet> smileys_;
  // The animated smileys in view, in the scheduler's order; it runs only while there are any.
  std::unique_ptr<AnimationScheduler> animation_;
  std::vector<std::shared_ptr<platform::Image>> animated_;
  std::vector<ContactEntry> invitable_;  // as the menu last listed them
};

}  // namespace quelt::ui
