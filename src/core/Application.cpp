#include "core/Application.h"

#include "core/ApplicationController.h"
#include "core/EventRouting.h"
#include "core/StatusNames.h"
#include "platform/Clock.h"
#include "platform/Log.h"

namespace quelt::core {

namespace {
constexpr uint32_t kNetworkStateMask = 0x0F;
constexpr uint32_t kSessionEndWaitMs = 20000;
constexpr uint32_t kNotConnected = 8;
}  // namespace

Application::Application(SettingsEnvironment environment, std::shared_ptr<UiDispatcher> dispatcher,
                         ApplicationServices services)
    : environment_(std::move(environment)),
      dispatcher_(dispatcher ? std::move(dispatcher) : std::make_shared<UiDispatcher>()),
      services_(std::move(services)),
      controller_(std::make_shared<ApplicationController>(*this)),
      hub_([this](const AppEventPtr& event) { dispatcher_->DispatchToUi(event); }),
      delayed_([this](AppEventPtr event) { PostEvent(std::move(event)); }) {}

Application::~Application() {
  StopSessions();
  // Session threads post to this object until they end; it must outlive them.
  std::vector<std::weak_ptr<ProtocolSession>> created;
  {
    std::lock_guard lock(recreateMutex_);
    created = createdSessions_;
  }
  const uint32_t start = platform::Ticks();
  for (const auto& weak : created) {
    if (auto session = weak.lock()) {
      session->Stop();
      const uint32_t spent = platform::Ticks() - start;
      if (!session->WaitUntilEnded(spent < kSessionEndWaitMs ? kSessionEndWaitMs - spent : 0)) {
        platform::Log("a session is still running as the application goes");
      }
    }
  }
  hub_.Stop();
  hub_.Join();
}

void Application::Initialise() {
  const auto settings = GetSettings();
  const SettingsValues values = settings->Values();
  const auto& folder = environment_.programFolder;
  if (const auto& look = services_.look) {
    look->LoadSkin(folder / "Skin", values.skinSource);
    look->LoadIcons(folder / "Icons", values.iconsSource);
  }
  if (const auto& language = services_.language) {
    language->LoadLanguage(folder / "Language", values.langSource);
    language->LoadKeypadMap(folder / "QSearch", values.qsearchSource);
  }
  icqTraffic_.store(0);
  msnTraffic_.store(0);
  textCodePage_.store(static_cast<uint32_t>(values.codePage));
  hub_.AddListener(controller_);
  hub_.Start();
  networkState_.store(kNotConnected);
  if (services_.downloads) services_.downloads->LoadList(settings);
  RecreateIcqSession();
  RecreateMsnSession();
  PostEvent(MakeEvent(EventCode::ViewRefresh));
}

std::shared_ptr<Settings> Application::GetSettings() {
  std::lock_guard lock(mutex_);
  if (!settings_) settings_ = std::make_shared<Settings>(environment_);
  return settings_;
}

void Application::PostEvent(AppEventPtr event) {
  if (!event) return;
  const EventRoute route = RouteOf(event->Code());
  if (route.core) {
    const EventCode code = event->Code();
    if (code == EventCode::SettingsChanged || code == EventCode::IcqAccountChanged ||
        code == EventCode::MsnAccountChanged) {
      // The download list lives in a folder the settings name, so it moves with them.
      if (services_.downloads) services_.downloads->SaveList();
      ReplaceSettingsFor(*event);
      if (services_.downloads) services_.downloads->LoadList(GetSettings());
    }
    hub_.Enqueue(std::move(event));
  } else if (route.ui) {
    dispatcher_->DispatchToUi(std::move(event));
  }
}

void Application::ReplaceSettingsFor(const AppEvent& event) {
  std::lock_guard lock(mutex_);
  if (event.Code() == EventCode::SettingsChanged) {
    const auto* carried = PayloadOf<std::shared_ptr<Settings>>(event);
    if (carried != nullptr && *carried && *carried != settings_) settings_ = *carried;
  } else {
    // The next GetSettings builds a fresh object and reads the file again.
    settings_.reset();
  }
}

void Application::PostEventDelayed(uint32_t delayMs, AppEventPtr event) {
  delayed_.PostAfter(delayMs, std::move(event));
}

std::shared_ptr<ProtocolSession> Application::IcqSession() {
  std::lock_guard lock(mutex_);
  return icqSession_;
}

std::shared_ptr<ProtocolSession> Application::MsnSession() {
  std::lock_guard lock(mutex_);
  return msnSession_;
}

void Application::ReleaseIcqSession() {
  std::shared_ptr<ProtocolSession> released;
  std::lock_guard lock(mutex_);
  released = std::move(icqSession_);
  // `released` ends after the lock: a session's teardown may call back into the application.
}

void Application::ReleaseMsnSession() {
  std::shared_ptr<ProtocolSession> released;
  std::lock_guard lock(mutex_);
  released = std::move(msnSession_);
}

void Application::RecreateIcqSession() { RecreateSession(Service::Icq); }
void Application::RecreateMsnSession() { RecreateSession(Service::Msn); }

void Application::RecreateSession(Service service) {
  std::lock_guard recreating(recreateMutex_);
  const SettingsValues values = GetSettings()->Values();
  const bool icq = service == Service::Icq;
  const bool enabled = icq ? values.icqEnabled : values.msnEnabled;
  const std::u16string& account = icq ? values.uin : values.msnEmail;
  if (!enabled || account.empty() || !services_.sessions) return;
  // Built outside the lock: a new session registers listeners and reads settings.
  auto created =
      icq ? services_.sessions->CreateIcqSession(*this, account) : services_.sessions->CreateMsnSession(*this, account);
  if (!created) return;
  std::erase_if(createdSessions_, [](const auto& session) { return session.expired(); });
  createdSessions_.push_back(created);
  std::shared_ptr<ProtocolSession> previous;
  {
    std::lock_guard lock(mutex_);
    auto& slot = icq ? icqSession_ : msnSession_;
    previous = std::exchange(slot, created);
  }
  previous.reset();
  created->Start();
}

void Application::PostAutoConnect() {
  const SettingsValues values = GetSettings()->Values();
  if (!values.autoConnect) return;
  if (IcqSession()) {
    PostEventDelayed(services_.timings.autoConnectDelayMs,
                     MakeEvent(EventCode::SetIcqStatus, StatusPayload{.status = values.icqAutoStatus, .flag = 0}));
  }
  if (MsnSession()) {
    PostEventDelayed(services_.timings.autoConnectDelayMs,
                     MakeEvent(EventCode::SetMsnStatus, StatusPayload{.status = values.msnAutoStatus, .flag = 0}));
  }
}

void Application::StopSessions() {
  for (const auto& session : {IcqSession(), MsnSession()}) {
    if (session) session->Stop();
  }
  ReleaseMsnSession();
  ReleaseIcqSession();
}

void Application::Stop() { hub_.Stop(); }

void Application::SetUserMessage(std::u16string text) {
  std::lock_guard lock(mutex_);
  userMessage_ = std::move(text);
}

std::u16string Application::TakeUserMessage() {
  std::lock_guard lock(mutex_);
  return std::exchange(userMessage_, {});
}

std::u16string Application::Text(std::string_view key) const {
  return key.empty() || !services_.language ? std::u16string() : services_.language->Text(key);
}

std::u16string Application::IcqStatusName(uint32_t status) const { return Text(IcqStatusKey(status)); }

std::u16string Application::MsnStatusName(int32_t status) const { return Text(MsnStatusKey(status)); }

void Application::SetNetworkStateBits(uint32_t lowBits) {
  std::lock_guard lock(mutex_);
  const uint32_t word = networkState_.load();
  networkState_.store((word & ~kNetworkStateMask) | (lowBits & kNetworkStateMask));
}

void Application::RequestConnection() {
  if ((networkState_.load() & 1) != 0 || !services_.connections) return;
  services_.connections->RequestConnection(*this);
}

void Application::AddTraffic(Service service, uint32_t bytes) {
  (service == Service::Icq ? icqTraffic_ : msnTraffic_).fetch_add(bytes);
}

uint32_t Application::Traffic(Service service) const {
  return (service == Service::Icq ? icqTraffic_ : msnTraffic_).load();
}

}  // namespace quelt::core
