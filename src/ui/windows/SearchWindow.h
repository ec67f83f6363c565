#pragma once

#include <memory>

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class AccountModel;
class WindowStack;
struct ScreenSize;

// Finds a user and adds them to the list. ICQ: the number is looked up in the directory ("search"
// on the right soft key) and "add" puts the user found into the group chosen in its submenu. MSN,
// whose servers keep no directory: "add" puts the typed address on the list.
void OpenSearch(core::Application& application, WindowStack& stack, ScreenSize screen,
                const std::shared_ptr<AccountModel>& account);

}  // namespace quelt::ui
