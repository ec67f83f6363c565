#include "ui/chat/ChatMenus.h"

namespace quelt::ui {

std::vector<MenuItem> BuildChatMenu(const ChatMenuContext& context,
                                    const std::function<std::u16string(std::string_view)>& text) {
  const auto item = [&text](std::string_view key, ChatCommand command, bool enabled = true) {
    return MenuItem{.label = text(key), .command = static_cast<int>(command), .enabled = enabled};
  };
  if (context.listMode) {
    return {item("copy_message", ChatCommand::CopyMessage, context.messageSelected),
            MenuItem::Separator(),
            item("open_link", ChatCommand::OpenLink, context.linkSelected),
            item("download", ChatCommand::Download, context.linkSelected),
            item("copy_link", ChatCommand::CopyLink, context.linkSelected),
            MenuItem::Separator(),
            item("clear_history", ChatCommand::ClearHistory, context.messageSelected)};
  }
  std::vector<MenuItem> menu;
  if (context.hasSmileys) {
    menu.push_back(item("smile", ChatCommand::Smile));
    menu.push_back(MenuItem::Separator());
  }
  menu.insert(menu.end(), {item("copy", ChatCommand::Copy, !context.entryEmpty),
                           item("paste", ChatCommand::Paste, context.clipboardHasText),
                           item("clear", ChatCommand::Clear, !context.entryEmpty), MenuItem::Separator()});
  if (context.service == Protocol::Msn) {
    MenuItem invite{.label = text("invite"), .enabled = !context.invitable.empty()};
    for (size_t i = 0; i < context.invitable.size(); ++i) {
      invite.submenu.push_back(
          {.label = context.invitable[i], .command = static_cast<int>(ChatCommand::InviteBase) + static_cast<int>(i)});
    }
    // A greyed item still needs a submenu to show as one.
    if (invite.submenu.empty()) invite.command = static_cast<int>(ChatCommand::InviteBase);
    menu.push_back(std::move(invite));
    menu.push_back(item("participants", ChatCommand::Participants));
    menu.push_back(item("leave_chat_session", ChatCommand::LeaveChatSession));
    menu.push_back(MenuItem::Separator());
  }
  menu.push_back(item("close", ChatCommand::Close));
  return menu;
}

}  // namespace quelt::ui
