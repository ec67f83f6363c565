// The chat menu as it opens: which items each mode and service shows, and which are greyed.
#include <gtest/gtest.h>

#include "platform/TextCodec.h"
#include "ui/chat/ChatMenus.h"

namespace quelt::ui {
namespace {

// Each item as its language key, "-" for a separator, "(greyed)" after a greyed one and the
// submenu's labels in brackets.
std::string Describe(const std::vector<MenuItem>& items) {
  std::string out;
  for (const auto& item : items) {
    out += item.separator ? "-" : platform::Utf16ToUtf8(item.label);
    if (!item.separator && !item.enabled) out += "(greyed)";
    if (item.HasSubmenu()) out += "[" + Describe(item.submenu) + "]";
    out += " ";
  }
  return out;
}

TEST(ChatMenusTest, ItemsAndGreyedStatesByModeAndService) {
  const auto key = [](std::string_view name) { return platform::Utf8ToUtf16(name); };
  const struct {
    ChatMenuContext context;
    std::string items;
  } cases[] = {
      {{.service = Protocol::Icq}, "copy(greyed) paste(greyed) clear(greyed) - close "},
      {{.service = Protocol::Icq, .entryEmpty = false, .hasSmileys = true, .clipboardHasText = true},
       "smile - copy paste clear - close "},
      {{.service = Protocol::Msn, .invitable = {u"Ann", u"Bo"}},
       "copy(greyed) paste(greyed) clear(greyed) - invite[Ann Bo ] participants leave_chat_session - close "},
      {{.service = Protocol::Msn},
       "copy(greyed) paste(greyed) clear(greyed) - invite(greyed) participants leave_chat_session - close "},
      {{.listMode = true},
       "copy_message(greyed) - open_link(greyed) download(greyed) copy_link(greyed) - clear_history(greyed) "},
      {{.listMode = true, .messageSelected = true, .linkSelected = true},
       "copy_message - open_link download copy_link - clear_history "},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(BuildChatMenu(c.context, key)), c.items);
}

}  // namespace
}  // namespace quelt::ui
