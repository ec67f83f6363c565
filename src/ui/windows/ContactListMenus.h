#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/model/AccountModel.h"
#include "ui/toolkit/Menu.h"

namespace quelt::ui {

// The commands of the contact list's menus. A group move carries the group's identifier and a
// presence choice its index in its submenu, both added to their base.
enum class ContactCommand : int {
  Chat = 1,
  Info,
  ShowStatus,
  Authorize,
  RequestAuthorization,
  AddToList,
  Delete,
  Block,
  Unblock,
  ContactSettings,
  FindMsnUser,
  FindIcqUser,
  RefreshIcqList,
  Downloads,
  AccountsNetwork,
  Settings,
  Folders,
  IconsSmiliesSkin,
  Toolbar,
  Language,
  HomeScreenSetup,
  HomeScreenDeleteScheme,
  About,
  MsnStatusBase = 100,
  IcqStatusBase = 200,
  MoveToGroupBase = 0x10000,
};

// The presences the two status submenus offer, in their order.
inline constexpr int32_t kMsnMenuStatuses[] = {1, 2, 4, 5, 6, 7, 8, -1};
inline constexpr int32_t kIcqMenuStatuses[] = {0, 1, 5, 0x11, 0x13, 0x20, 0x100, -1};

// What the menus are built for.
struct MenuContext {
  bool rowSelected = false;             // any row, the header included
  std::optional<ContactEntry> contact;  // the selected contact, ICQ or MSN
  bool icqSignedIn = false;
  bool msnSignedIn = false;
  bool icqEnabled = false;
  bool msnEnabled = false;
  std::vector<GroupEntry> icqGroups;  // in the session's order
};

// The "menu" soft key's menu; `text` gives the language's words.
[[nodiscard]] std::vector<MenuItem> BuildContactListMenu(const MenuContext& context,
                                                         const std::function<std::u16string(std::string_view)>& text);
// The "user" submenu alone.
[[nodiscard]] std::vector<MenuItem> BuildUserMenu(const MenuContext& context,
                                                  const std::function<std::u16string(std::string_view)>& text);

}  // namespace quelt::ui
