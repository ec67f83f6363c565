#include "ui/shell/ProgramWindows.h"

#include "platform/Log.h"

namespace quelt::ui {
namespace {

void NotHereYet(const char* screen) { platform::Log("the %s screen is not part of this build yet", screen); }

}  // namespace

void ProgramWindows::OpenChat(const std::shared_ptr<AccountModel>&, const std::u16string&) { NotHereYet("chat"); }

void ProgramWindows::OpenInfo(const std::shared_ptr<AccountModel>&, const std::u16string&) {
  NotHereYet("contact information");
}

void ProgramWindows::OpenContactSettings(const std::shared_ptr<AccountModel>&, const std::u16string&) {
  NotHereYet("contact options");
}

void ProgramWindows::OpenSearch(Protocol service) {
  NotHereYet(service == Protocol::Icq ? "ICQ search" : "MSN search");
}

void ProgramWindows::OpenDialog(Dialog dialog) {
  static constexpr const char* kNames[] = {"downloads", "accounts", "settings",          "folders",         "look",
                                           "toolbar",   "language", "home-screen setup", "scheme deletion", "about"};
  NotHereYet(kNames[static_cast<int>(dialog)]);
}

}  // namespace quelt::ui
