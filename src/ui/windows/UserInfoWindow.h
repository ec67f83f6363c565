#pragma once

#include <memory>
#include <string>

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class AccountModel;
class WindowStack;
struct ScreenSize;

// A contact's details. ICQ: asked of the server, shown as the parts arrive; an error reply shows
// a message box. MSN: the account and the names the list holds.
void OpenUserInfo(core::Application& application, WindowStack& stack, ScreenSize screen,
                  const std::shared_ptr<AccountModel>& account, const std::u16string& id);

}  // namespace quelt::ui
