#pragma once

#include <memory>

namespace quelt::core {
class Application;
}

namespace quelt::ui {

class AccountModel;
class WindowStack;
struct ScreenSize;

// Finds a user and adds them to the list: "search" on the right soft key looks the typed ICQ
// number up in the directory or probes the MSN address; "add" puts the user found into the group
// chosen in its submenu (ICQ) or onto the list (MSN).
void OpenSearch(core::Application& application, WindowStack& stack, ScreenSize screen,
                const std::shared_ptr<AccountModel>& account);

}  // namespace quelt::ui
