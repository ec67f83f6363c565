#include "ui/windows/ContactListMenus.h"

#include <iterator>

namespace quelt::ui {
namespace {

using Text = std::function<std::u16string(std::string_view)>;

MenuItem Item(const Text& text, std::string_view key, ContactCommand command, bool enabled = true) {
  return MenuItem{.label = text(key), .command = static_cast<int>(command), .enabled = enabled};
}

MenuItem Submenu(const Text& text, std::string_view key, std::vector<MenuItem> items, bool enabled = true) {
  return MenuItem{.label = text(key), .enabled = enabled, .submenu = std::move(items)};
}

template <size_t N>
std::vector<MenuItem> StatusMenu(const Text& text, const std::string_view (&keys)[N], ContactCommand base) {
  std::vector<MenuItem> items;
  for (size_t i = 0; i < N; ++i) {
    items.push_back(MenuItem{.label = text(keys[i]), .command = static_cast<int>(base) + static_cast<int>(i)});
  }
  return items;
}

}  // namespace

std::vector<MenuItem> BuildUserMenu(const MenuContext& context, const Text& text) {
  std::vector<MenuItem> items;
  const auto& contact = context.contact;
  const bool icq = contact && contact->protocol == Protocol::Icq;
  const bool msn = contact && contact->protocol == Protocol::Msn;
  items.push_back(Item(text, "chat", ContactCommand::Chat, icq || msn));
  items.push_back(Item(text, "info", ContactCommand::Info, icq || msn));
  if (icq) {
    MenuItem show = Item(text, "show_status", ContactCommand::ShowStatus);
    show.checked = contact->options.showStatus;
    items.push_back(std::move(show));
  }
  if (context.icqSignedIn && icq) {
    if (contact->asksAuthorization) items.push_back(Item(text, "authorize", ContactCommand::Authorize));
    if (contact->awaitingAuthorization)
      items.push_back(Item(text, "request_auth", ContactCommand::RequestAuthorization));
    if (!context.icqGroups.empty()) {
      std::vector<MenuItem> groups;
      for (const GroupEntry& group : context.icqGroups) {
        if (group.id == contact->groupId) continue;
        groups.push_back(
            MenuItem{.label = group.name, .command = static_cast<int>(ContactCommand::MoveToGroupBase) + group.id});
      }
      // With the contact alone in the only group there is nowhere to move it: nothing to show.
      if (!groups.empty()) {
        items.push_back(Submenu(text, contact->groupId == 0 ? "add_to_group" : "move_to_group", std::move(groups)));
      }
    } else if (!contact->onServerList) {
      items.push_back(Item(text, "add_to_list", ContactCommand::AddToList));
    }
    items.push_back(Item(text, "delete", ContactCommand::Delete));
  }
  if (context.msnSignedIn && msn) {
    items.push_back(contact->onServerList ? Item(text, "delete", ContactCommand::Delete)
                                          : Item(text, "add_to_list", ContactCommand::AddToList));
    items.push_back(contact->blocked ? Item(text, "unblock", ContactCommand::Unblock)
                                     : Item(text, "block", ContactCommand::Block));
  }
  if (icq) {
    MenuItem settings = Item(text, "settings", ContactCommand::ContactSettings);
    settings.label += u"...";
    items.push_back(std::move(settings));
  }
  if (context.icqSignedIn || context.msnSignedIn) items.push_back(MenuItem::Separator());
  if (context.msnSignedIn) items.push_back(Item(text, "find_msn_user", ContactCommand::FindMsnUser));
  if (context.icqSignedIn) {
    items.push_back(Item(text, "find_icq_user", ContactCommand::FindIcqUser));
    items.push_back(MenuItem::Separator());
    items.push_back(Item(text, "refresh_icq_contact_list", ContactCommand::RefreshIcqList));
  }
  return items;
}

std::vector<MenuItem> BuildContactListMenu(const MenuContext& context, const Text& text) {
  std::vector<MenuItem> items;
  const bool userEnabled = context.rowSelected || context.icqSignedIn || context.msnSignedIn;
  items.push_back(Submenu(text, "user", BuildUserMenu(context, text), userEnabled));
  items.push_back(Item(text, "downloads", ContactCommand::Downloads));
  items.push_back(
      Submenu(text, "configuration",
              {Item(text, "accounts_network", ContactCommand::AccountsNetwork),
               Item(text, "settings", ContactCommand::Settings), Item(text, "folders", ContactCommand::Folders),
               Item(text, "icons_smilies_skin", ContactCommand::IconsSmiliesSkin),
               Item(text, "toolbar", ContactCommand::Toolbar), Item(text, "language", ContactCommand::Language),
               Submenu(text, "home_screen",
                       {Item(text, "setup", ContactCommand::HomeScreenSetup),
                        Item(text, "delete_scheme", ContactCommand::HomeScreenDeleteScheme)})}));
  items.push_back(Item(text, "about", ContactCommand::About));
  if (context.msnEnabled) {
    static constexpr std::string_view kMsn[] = {"online",       "busy",         "be_right_back", "away",
                                                "on_the_phone", "out_to_lunch", "invisible",     "offline"};
    static_assert(std::size(kMsn) == std::size(kMsnMenuStatuses));
    items.push_back(Submenu(text, "msn_status", StatusMenu(text, kMsn, ContactCommand::MsnStatusBase)));
  }
  if (context.icqEnabled) {
    static constexpr std::string_view kIcq[] = {"online",         "away",          "not_available", "occupied",
                                                "do_not_disturb", "free_for_chat", "invisible",     "offline"};
    static_assert(std::size(kIcq) == std::size(kIcqMenuStatuses));
    items.push_back(Submenu(text, "icq_status", StatusMenu(text, kIcq, ContactCommand::IcqStatusBase)));
  }
  return items;
}

}  // namespace quelt::ui
