#include "core/ApplicationController.h"

#include <system_error>

#include "core/Application.h"
#include "core/HomeLayout.h"
#include "homeplugin/SchemeSetting.h"
#include "platform/Registry.h"

namespace quelt::core {

void ApplicationController::OnEvent(const AppEventPtr& event) {
  switch (event->Code()) {
    case EventCode::ConnectNetwork: application_.RequestConnection(); break;
    case EventCode::NetworkConnected:
      application_.NetworkDown().Reset();
      application_.NetworkUp().Set();
      break;
    case EventCode::NetworkLost: OnNetworkLost(); break;
    case EventCode::DeleteFileRequest:
      if (const auto* path = PayloadOf<std::filesystem::path>(*event)) {
        // A home scheme that came back into use while its deletion waited stays.
        auto registry = platform::Registry::ForUser();
        if (SchemeInUse(registry, *path, home::ShippedSchemeFolder(application_.Environment().programFolder))) break;
        std::error_code ignored;
        std::filesystem::remove(*path, ignored);
      }
      break;
    case EventCode::IcqAccountChanged: OnAccountChanged(true); break;
    case EventCode::MsnAccountChanged: OnAccountChanged(false); break;
    default: break;
  }
}

void ApplicationController::OnNetworkLost() {
  application_.NetworkUp().Reset();
  application_.NetworkDown().Set();
  bool wantsOnline = false;
  for (const auto& session : {application_.IcqSession(), application_.MsnSession()}) {
    if (!session) continue;
    session->OnNetworkLost();
    if (session->Presence() != -1) wantsOnline = true;
  }
  if (wantsOnline)
    application_.PostEventDelayed(application_.Services().timings.reconnectDelayMs, MakeEvent(EventCode::ConnectNetwork));
}

void ApplicationController::OnAccountChanged(bool icq) {
  if (auto session = icq ? application_.IcqSession() : application_.MsnSession()) {
    session->Disconnect();
    session->Shutdown();
    if (icq) {
      application_.ReleaseIcqSession();
    } else {
      application_.ReleaseMsnSession();
    }
  }
  if (icq) {
    application_.RecreateIcqSession();
  } else {
    application_.RecreateMsnSession();
  }
  application_.PostEvent(MakeEvent(EventCode::ViewRefresh));
}

}  // namespace quelt::core
