// What the contact list's menus offer for each kind of selection, signed in and out.
#include <gtest/gtest.h>

#include "platform/TextCodec.h"
#include "ui/windows/ContactListMenus.h"

namespace quelt::ui {
namespace {

// A menu as text: labels (here the language keys themselves), "-" for a separator, "~" before a
// greyed item, "+" before a checked one, and a submenu's items in braces.
std::string Describe(const std::vector<MenuItem>& items) {
  std::string text;
  for (const MenuItem& item : items) {
    if (!text.empty()) text += ' ';
    if (item.separator) {
      text += '-';
      continue;
    }
    if (!item.enabled) text += '~';
    if (item.checked) text += '+';
    text += platform::Utf16ToUtf8(item.label);
    if (item.HasSubmenu()) text += '{' + Describe(item.submenu) + '}';
  }
  return text;
}

std::u16string Key(std::string_view key) { return platform::Utf8ToUtf16(key); }

TEST(ContactListMenusTest, UserMenuForEachSelection) {
  const ContactEntry icq{.protocol = Protocol::Icq, .id = u"1", .asksAuthorization = true, .groupId = 1};
  ContactEntry icqAlone = icq;
  icqAlone.asksAuthorization = false;
  icqAlone.options.showStatus = false;
  icqAlone.awaitingAuthorization = true;
  icqAlone.groupId = 0;
  const ContactEntry msn{.protocol = Protocol::Msn, .id = u"a@b", .onServerList = true, .blocked = true};
  const ContactEntry msnStranger{.protocol = Protocol::Msn, .id = u"c@d"};
  const std::vector<GroupEntry> groups = {{1, u"Friends"}, {2, u"Work"}};
  struct Case {
    MenuContext context;
    std::string menu;
  };
  const Case cases[] = {
      {{.rowSelected = true, .contact = icq, .icqSignedIn = true, .icqGroups = groups},
       "chat info +show_status authorize move_to_group{Work} delete settings... - find_icq_user - "
       "refresh_icq_contact_list"},
      {{.rowSelected = true, .contact = icqAlone, .icqSignedIn = true, .msnSignedIn = true, .icqGroups = groups},
       "chat info show_status request_auth add_to_group{Friends Work} delete settings... - find_msn_user "
       "find_icq_user - refresh_icq_contact_list"},
      {{.rowSelected = true, .contact = icqAlone, .icqSignedIn = true},
       "chat info show_status request_auth add_to_list delete settings... - find_icq_user - refresh_icq_contact_list"},
      {{.rowSelected = true, .contact = icq}, "chat info +show_status settings..."},
      {{.rowSelected = true, .contact = msn, .msnSignedIn = true}, "chat info delete unblock - find_msn_user"},
      {{.rowSelected = true, .contact = msnStranger, .icqSignedIn = true, .msnSignedIn = true},
       "chat info add_to_list block - find_msn_user find_icq_user - refresh_icq_contact_list"},
      {{.rowSelected = true, .contact = msn}, "chat info"},
      {{.rowSelected = true, .msnSignedIn = true}, "~chat ~info - find_msn_user"},  // the header row
  };
  for (const Case& c : cases) EXPECT_EQ(Describe(BuildUserMenu(c.context, Key)), c.menu);
}

TEST(ContactListMenusTest, MainMenuFollowsTheAccountsAndChoosesPresences) {
  const std::string configuration =
      "configuration{accounts_network settings folders icons_smilies_skin toolbar language "
      "home_screen{setup delete_scheme}} about";
  // Nothing selected and nobody signed in: the user submenu is greyed.
  EXPECT_EQ(Describe(BuildContactListMenu({}, Key)), "~user{~chat ~info} downloads " + configuration);
  const auto both = BuildContactListMenu({.icqSignedIn = true, .icqEnabled = true, .msnEnabled = true}, Key);
  EXPECT_EQ(Describe(both),
            "user{~chat ~info - find_icq_user - refresh_icq_contact_list} downloads " + configuration +
                " msn_status{online busy be_right_back away on_the_phone out_to_lunch invisible offline}"
                " icq_status{online away not_available occupied do_not_disturb free_for_chat invisible offline}");
}

}  // namespace
}  // namespace quelt::ui
