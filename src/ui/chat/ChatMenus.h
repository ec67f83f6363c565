#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/model/AccountModel.h"
#include "ui/toolkit/Menu.h"

namespace quelt::ui {

enum class ChatCommand {
  Smile = 1,
  Copy,
  Paste,
  Clear,
  Close,
  LeaveChatSession,
  Participants,
  CopyMessage,
  OpenLink,
  Download,
  CopyLink,
  ClearHistory,
  InviteBase = 0x1000,  // + the position of the contact in the menu's invite list
};

// What the chat menu depends on when it opens.
struct ChatMenuContext {
  Protocol service = Protocol::Icq;
  bool listMode = false;
  bool entryEmpty = true;
  bool hasSmileys = false;  // the set has any
  bool clipboardHasText = false;
  bool messageSelected = false;
  bool linkSelected = false;
  // MSN: online contacts not in the chat yet, by display name.
  std::vector<std::u16string> invitable;
};

[[nodiscard]] std::vector<MenuItem> BuildChatMenu(const ChatMenuContext& context,
                                                  const std::function<std::u16string(std::string_view)>& text);

}  // namespace quelt::ui
