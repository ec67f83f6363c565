#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/Application.h"
#include "platform/Log.h"
#include "platform/TextCodec.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/model/AccountModel.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/CheckBox.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/TextField.h"

namespace quelt::ui {
namespace {

// The code pages a contact's 8-bit text is likely in; a list rather than a typed number, so that
// nothing the converter does not know can be chosen.
constexpr int32_t kOfferedCodePages[] = {874,  932,  936,  949,  950,  1250, 1251,  1252,
                                         1253, 1254, 1255, 1256, 1257, 1258, 20866, 21866};

// The offered code pages this system converts, and the contact's own even if it is not one of them.
std::vector<int32_t> CodePagesFor(int32_t current) {
  std::vector<int32_t> pages;
  for (const int32_t page : kOfferedCodePages) {
    if (platform::IsCodePageKnown(static_cast<uint32_t>(page))) pages.push_back(page);
  }
  if (current >= 0 && std::find(pages.begin(), pages.end(), current) == pages.end()) {
    pages.insert(std::upper_bound(pages.begin(), pages.end(), current), current);
  }
  return pages;
}

}  // namespace

void OpenContactOptions(core::Application& application, WindowStack& stack, ScreenSize screen,
                        const std::shared_ptr<AccountModel>& account, const std::u16string& id) {
  if (!account) return;
  const auto contacts = account->Contacts();
  const auto contact =
      std::find_if(contacts.begin(), contacts.end(), [&](const ContactEntry& c) { return c.id == id; });
  if (contact == contacts.end()) return;

  const std::vector<int32_t> pages = CodePagesFor(contact->options.codePage);
  std::vector<std::u16string> names{application.Text("default")};
  for (const int32_t page : pages) names.push_back(platform::AsciiToUtf16(std::to_string(page)));
  const auto chosen = std::find(pages.begin(), pages.end(), contact->options.codePage);
  const size_t chosenIndex = chosen == pages.end() ? 0 : size_t(chosen - pages.begin()) + 1;

  auto showStatus = std::make_shared<CheckBox>(application.Text("show_status"), contact->options.showStatus);
  auto codePage = std::make_shared<ChoiceBox>(application.Text("codepage"), std::move(names), chosenIndex);
  auto unicode = std::make_shared<CheckBox>(application.Text("unicode"), contact->options.preferUnicode);
  FormWindow::Open(
      stack, screen.width, screen.height, DialogStyleOf(application),
      {.title = application.Text("contact_options"),
       .okLabel = application.Text("ok"),
       .ok =
           [account, id, pages, showStatus, codePage, unicode](FormWindow& window) {
             const ContactOptions options{.showStatus = showStatus->Checked(),
                                          .codePage = codePage->Chosen() == 0 ? -1 : pages[codePage->Chosen() - 1],
                                          .preferUnicode = unicode->Checked()};
             // Only a contact that left the list meanwhile refuses; there is nothing left to set.
             if (!account->SetOptions(id, options)) platform::Log("the contact's options were not stored");
             window.Close();
           }},
      {std::make_shared<FormNote>(contact->displayName.empty() ? id : contact->displayName), showStatus, codePage,
       unicode});
}

}  // namespace quelt::ui
