#include "ui/windows/SearchWindow.h"

#include "core/AppEvent.h"
#include "core/Application.h"
#include "core/EventListener.h"
#include "icq/IcqEvents.h"
#include "msn/MsnListService.h"
#include "platform/TextCodec.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/model/AccountModel.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/InfoLine.h"
#include "ui/toolkit/TextField.h"

namespace quelt::ui {

namespace {

constexpr size_t kAccountLength = 60;
enum Command { kAdd = 1, kClose, kGroupBase = 100 };

// The search under way and what it found.
class Search final : public core::EventListener {
 public:
  Search(core::Application& app, WindowStack& windows, ScreenSize size, std::shared_ptr<AccountModel> model)
      : application(app), stack(windows), screen(size), account(std::move(model)) {}

  void OnEvent(const core::AppEventPtr& event) override {
    const auto code = event->Code();
    if (code == core::EventCode::IcqSearchResult) {
      const auto* reply = core::PayloadOf<icq::IcqSearchEvent>(*event);
      if (reply == nullptr || reply->requestId == 0 || reply->requestId != request) return;
      const auto& user = reply->result;
      if (user.uin != 0 && found.empty()) {
        const std::u16string number = platform::AsciiToUtf16(std::to_string(user.uin));
        Found(number, number + u" " + (user.nickname.empty() ? user.firstName + u" " + user.lastName : user.nickname));
      } else if (found.empty() && user.last) {
        result->SetValue(application.Text("user_not_found"));
      }
    } else if (code == core::EventCode::MsnSearchFound || code == core::EventCode::MsnSearchNotFound) {
      const auto* reply = core::PayloadOf<msn::MsnSearchEvent>(*event);
      if (reply == nullptr || reply->transactionId <= 0 || uint32_t(reply->transactionId) != request) return;
      if (code == core::EventCode::MsnSearchFound) {
        Found(reply->address, reply->address);
      } else {
        result->SetValue(application.Text("user_not_found"));
      }
    } else {
      return;
    }
    if (const auto window = form.lock()) window->Invalidate();
  }

  void Found(std::u16string id, const std::u16string& shown) {
    found = std::move(id);
    result->SetValue(application.Text("user_found") + u": " + shown);
  }

  void Start() {
    found.clear();
    request = account->Search(field->Text());
    result->SetValue(request == 0 ? application.Text("user_not_found") : u"…");
  }

  void Add(FormWindow& window, int command) {
    const bool icq = account->Service() == Protocol::Icq;
    const bool added = !found.empty() &&
                       (icq ? account->AddToGroup(found, uint16_t(command - kGroupBase)) : account->AddToList(found));
    if (added) {
      Close(window);
    } else {
      ShowNotice(application, stack, screen, application.Text("user_not_found"));
    }
  }

  void Close(FormWindow& window) {
    application.Dispatcher().RemoveUiListener(this);
    window.Close();
  }

  core::Application& application;
  WindowStack& stack;
  const ScreenSize screen;
  const std::shared_ptr<AccountModel> account;
  std::shared_ptr<TextField> field;
  std::shared_ptr<InfoLine> result;
  std::weak_ptr<FormWindow> form;  // for the answers that arrive later
  uint32_t request = 0;
  std::u16string found;  // the ICQ number or MSN address found
};

}  // namespace

void OpenSearch(core::Application& application, WindowStack& stack, ScreenSize screen,
                const std::shared_ptr<AccountModel>& account) {
  if (!account) return;
  const bool icq = account->Service() == Protocol::Icq;
  auto search = std::make_shared<Search>(application, stack, screen, account);
  search->field =
      std::make_shared<TextField>(application.Text("account"), u"", TextField::Options{.maxLength = kAccountLength});
  search->result = std::make_shared<InfoLine>(application.Text("search"), u"");
  application.Dispatcher().AddUiListener(search);
  const auto text = [&application](const char* key) { return application.Text(key); };
  search->form =
      FormWindow::Open(stack, screen.width, screen.height, DialogStyleOf(application),
                       {.title = text(icq ? "find_icq_user" : "find_msn_user"),
                        .menuLabel = text("menu"),
                        .okLabel = text("search"),
                        .menu =
                            [text, account, icq] {
                              MenuItem add{.label = text("add"), .command = kAdd};
                              if (icq) {
                                for (const auto& group : account->Groups()) {
                                  add.submenu.push_back({.label = group.name, .command = kGroupBase + group.id});
                                }
                                add.enabled = !add.submenu.empty();
                              }
                              return std::vector<MenuItem>{add, {.label = text("close"), .command = kClose}};
                            },
                        .command =
                            [search](FormWindow& window, int command) {
                              if (command == kClose) return search->Close(window);
                              search->Add(window, command);
                            },
                        .ok =
                            [search](FormWindow& window) {
                              search->Start();
                              window.Invalidate();
                            },
                        .cancelled = [search] { search->application.Dispatcher().RemoveUiListener(search.get()); }},
                       {search->field, search->result});
}

}  // namespace quelt::ui
