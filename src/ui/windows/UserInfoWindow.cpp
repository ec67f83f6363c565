#include "ui/windows/UserInfoWindow.h"

#include <cstdio>
#include <vector>

#include "core/AppEvent.h"
#include "core/Application.h"
#include "core/EventListener.h"
#include "icq/IcqEvents.h"
#include "platform/TextCodec.h"
#include "ui/dialogs/DialogStyle.h"
#include "ui/model/AccountModel.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/InfoLine.h"

namespace quelt::ui {

namespace {

constexpr const char* kIcqFields[] = {"nickname", "first_name", "last_name", "e_mail",   "phones", "gender",
                                      "age",      "birthday",   "city",      "homepage", "notes"};

std::u16string Joined(std::initializer_list<const std::u16string*> parts) {
  std::u16string joined;
  for (const auto* part : parts) {
    if (part->empty()) continue;
    if (!joined.empty()) joined += u", ";
    joined += *part;
  }
  return joined;
}

// The values of kIcqFields, in their order.
std::vector<std::u16string> IcqValues(const core::Application& application, const icq::IcqUserInfo& info) {
  std::u16string birthday;
  if (info.birthYear != 0 || info.birthMonth != 0 || info.birthDay != 0) {
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d.%04d", info.birthDay, info.birthMonth, info.birthYear);
    birthday = platform::AsciiToUtf16(text);
  }
  const std::u16string gender = info.gender == 1   ? application.Text("female")
                                : info.gender == 2 ? application.Text("male")
                                                   : u"";
  return {info.nickname,
          info.firstName,
          info.lastName,
          info.email,
          Joined({&info.phone, &info.cellular, &info.fax}),
          gender,
          info.age == 0 ? u"" : platform::AsciiToUtf16(std::to_string(info.age)),
          birthday,
          Joined({&info.city, &info.state}),
          info.homepage,
          info.notes};
}

// Waits for the answers to one request for the window's lines.
class InfoRequest final : public core::EventListener {
 public:
  InfoRequest(core::Application& application, WindowStack& stack, ScreenSize screen, uint32_t id,
              std::vector<std::shared_ptr<InfoLine>> lines)
      : application_(application), stack_(stack), screen_(screen), id_(id), lines_(std::move(lines)) {}

  void OnEvent(const core::AppEventPtr& event) override {
    const auto window = form.lock();
    if (!window) return;
    if (event->Code() == core::EventCode::IcqUserInfoReceived) {
      const auto* reply = core::PayloadOf<icq::IcqUserInfoEvent>(*event);
      if (reply == nullptr || reply->requestId != id_) return;
      answered_ = true;
      const auto values = IcqValues(application_, reply->info);
      for (size_t i = 0; i < lines_.size(); ++i) lines_[i]->SetValue(values[i]);
      window->Invalidate();
    } else if (event->Code() == core::EventCode::IcqError && !answered_) {
      answered_ = true;
      ShowNotice(application_, stack_, screen_, application_.Text("icq_error"), u"ICQ " + application_.Text("error"));
    }
  }

  std::weak_ptr<FormWindow> form;

 private:
  core::Application& application_;
  WindowStack& stack_;
  const ScreenSize screen_;
  const uint32_t id_;
  const std::vector<std::shared_ptr<InfoLine>> lines_;
  bool answered_ = false;
};

}  // namespace

void OpenUserInfo(core::Application& application, WindowStack& stack, ScreenSize screen,
                  const std::shared_ptr<AccountModel>& account, const std::u16string& id) {
  if (!account) return;
  std::vector<std::shared_ptr<FormControl>> controls;
  std::shared_ptr<InfoRequest> request;
  if (account->Service() == Protocol::Icq) {
    std::vector<std::shared_ptr<InfoLine>> lines;
    controls.push_back(std::make_shared<InfoLine>(application.Text("account_name"), id));
    for (const char* field : kIcqFields) {
      lines.push_back(std::make_shared<InfoLine>(application.Text(field), u""));
      controls.push_back(lines.back());
    }
    if (const uint32_t requestId = account->RequestInfo(id)) {
      request = std::make_shared<InfoRequest>(application, stack, screen, requestId, std::move(lines));
      application.Dispatcher().AddUiListener(request);
    }
  } else {
    std::u16string name;
    for (const auto& contact : account->Contacts()) {
      if (contact.id == id) name = contact.displayName;
    }
    controls.push_back(std::make_shared<InfoLine>(application.Text("account_name"), id));
    controls.push_back(std::make_shared<InfoLine>(application.Text("nickname"), name));
  }
  const auto stop = [&application, request] {
    if (request) application.Dispatcher().RemoveUiListener(request.get());
  };
  const auto form = FormWindow::Open(stack, screen.width, screen.height, DialogStyleOf(application),
                           {.title = application.Text("info"),
                            .okLabel = application.Text("close"),
                            .ok =
                                [stop](FormWindow& window) {
                                  stop();
                                  window.Close();
                                },
                            .cancelled = stop},
                           std::move(controls));
  if (request) request->form = form;
}

}  // namespace quelt::ui
