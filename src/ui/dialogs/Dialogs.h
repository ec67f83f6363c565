#pragma once

#include <memory>
#include <string>

namespace quelt::core {
class Application;
}

// The dialogs the contact list's menu opens. Each works on a copy of the settings: OK saves the
// file and hands the copy to the program with SettingsChanged; Back and "cancel" change nothing.
namespace quelt::ui {

class AccountModel;
class WindowStack;
struct ScreenSize;

// Each service's switch, account and password, and from the menu the ICQ network set-up (login
// servers and proxy). OK has the changed services' sessions made anew and signed in; nothing
// changed, nothing happens.
void OpenAccountDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

// The everyday settings, the vibration count and the code page; the menu sets the full or the
// economy mode or opens the advanced settings.
void OpenSettingsDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

// The history, outgoing and incoming folders, typed or chosen by browsing. A new history folder
// has the sessions made anew there (they keep their caches in it).
void OpenFoldersDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

// The icon, smiley and skin sets, with each smiley set's description, and the user's own sizes
// kept beside the skin; the new look shows at once.
void OpenSkinDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

// What the left soft key and the keys 0 to 9 do in the contact list, one choice each.
void OpenKeyConfigDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

// The language of the menus and the keypad map of quick search, from the files there are.
void OpenLanguageDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

// Adds the messenger's row to the home screen's layout, or changes it, through a two-page wizard:
// a copy of the scheme in use with the row in it becomes the home screen's scheme.
void OpenHomeScreenSetup(core::Application& application, WindowStack& stack, ScreenSize screen);

// Gives the home screen back the scheme it showed before the messenger's row was first added.
void DeleteHomeScreenScheme(core::Application& application, WindowStack& stack, ScreenSize screen);

// An ICQ contact's own options: whether its status shows, the code page of its 8-bit text, and
// Unicode wherever it reads it. OK stores them with the contact list at once.
void OpenContactOptions(core::Application& application, WindowStack& stack, ScreenSize screen,
                        const std::shared_ptr<AccountModel>& account, const std::u16string& id);

// The program's name and version.
void OpenAboutDialog(core::Application& application, WindowStack& stack, ScreenSize screen);

}  // namespace quelt::ui
