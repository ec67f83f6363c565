#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/AppEvent.h"
#include "core/ApplicationServices.h"
#include "core/DelayedPoster.h"
#include "core/EventHub.h"
#include "core/HistoryWriter.h"
#include "core/Settings.h"
#include "core/UiDispatcher.h"
#include "platform/Event.h"

namespace quelt::core {

class ApplicationController;

enum class Service { Icq, Msn };

// The program's one long-lived object: settings, sessions, the event machinery and the network
// signals. main() keeps one; tests build several side by side. Thread-safe unless noted.
class Application {
 public:
  Application(SettingsEnvironment environment, std::shared_ptr<UiDispatcher> dispatcher, ApplicationServices services = {});
  // Stops the sessions and the hub, waits (a bounded time) for the threads of every session it
  // created to end, and joins its own threads.
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Loads settings and resources, starts the hub thread, creates the configured sessions and
  // posts ViewRefresh. Main thread, once.
  void Initialise();

  // The current settings, created (and on first use loaded) on demand.
  [[nodiscard]] std::shared_ptr<Settings> GetSettings();

  void PostEvent(AppEventPtr event);
  void PostEventDelayed(uint32_t delayMs, AppEventPtr event);

  void AddListener(const std::shared_ptr<EventListener>& listener) { hub_.AddListener(listener); }
  void RemoveListener(const EventListener* listener) { hub_.RemoveListener(listener); }
  [[nodiscard]] UiDispatcher& Dispatcher() { return *dispatcher_; }

  [[nodiscard]] std::shared_ptr<ProtocolSession> IcqSession();
  [[nodiscard]] std::shared_ptr<ProtocolSession> MsnSession();
  void ReleaseIcqSession();
  void ReleaseMsnSession();
  // Replace the session when its account is enabled and named; otherwise leave things as they are.
  void RecreateIcqSession();
  void RecreateMsnSession();

  // With AUTO_CONNECT, posts each existing session's saved presence one second from now.
  void PostAutoConnect();
  // The first half of quitting: stop every session and let go of them.
  void StopSessions();
  // Ends the hub thread after the event it is delivering; later posts reach no core listener.
  void Stop();

  // A text for the user from an engine (a refused login, a disconnection), shown by the main
  // window on the next ViewRefresh. Taking it empties the field.
  void SetUserMessage(std::u16string text);
  [[nodiscard]] std::u16string TakeUserMessage();

  // A user-interface text in the current language; empty when the language file has none.
  [[nodiscard]] std::u16string Text(std::string_view key) const;
  // Status text in the current language; empty for an unknown status.
  [[nodiscard]] std::u16string IcqStatusName(uint32_t status) const;
  [[nodiscard]] std::u16string MsnStatusName(int32_t status) const;

  // Network signals the session workers wait on, kept by the controller from network events.
  [[nodiscard]] platform::Event& NetworkUp() { return networkUp_; }
  [[nodiscard]] platform::Event& NetworkDown() { return networkDown_; }
  // The low four bits are the data connection's state (1 connected, 2 waiting, 4 disconnecting,
  // 8 not connected); bit 0 keeps further connection requests back.
  [[nodiscard]] uint32_t NetworkState() const { return networkState_.load(); }
  void SetNetworkStateBits(uint32_t lowBits);
  // Asks for a data connection unless one is up.
  void RequestConnection();

  void AddTraffic(Service service, uint32_t bytes);
  [[nodiscard]] uint32_t Traffic(Service service) const;

  // The CODE_PAGE setting as it was at start-up, used by both engines for 8-bit text.
  [[nodiscard]] uint32_t TextCodePage() const { return textCodePage_.load(); }

  [[nodiscard]] const ApplicationServices& Services() const { return services_; }
  // Where both engines store messages and the windows read them back.
  [[nodiscard]] HistoryWriter& History() { return history_; }
  [[nodiscard]] const SettingsEnvironment& Environment() const { return environment_; }

 private:
  void ReplaceSettingsFor(const AppEvent& event);
  void RecreateSession(Service service);

  const SettingsEnvironment environment_;
  const std::shared_ptr<UiDispatcher> dispatcher_;
  const ApplicationServices services_;
  // Declared early, so it is destroyed late: it writes what is queued once the sessions are gone.
  HistoryWriter history_;

  // Guards the settings reference, the sessions and writes of the network state word.
  mutable std::mutex mutex_;
  std::shared_ptr<Settings> settings_;
  std::shared_ptr<ProtocolSession> icqSession_;
  std::shared_ptr<ProtocolSession> msnSession_;
  std::u16string userMessage_;
  // Serialises session re-creation, which runs outside mutex_ because sessions call back in.
  std::mutex recreateMutex_;
  // Every session created, so that destruction can wait for their threads to end.
  std::vector<std::weak_ptr<ProtocolSession>> createdSessions_;

  platform::Event networkUp_{platform::Event::Mode::ManualReset, false};
  platform::Event networkDown_{platform::Event::Mode::ManualReset, true};
  std::atomic<uint32_t> networkState_{8};
  std::atomic<uint32_t> textCodePage_{0};
  std::atomic<uint32_t> icqTraffic_{0};
  std::atomic<uint32_t> msnTraffic_{0};

  std::shared_ptr<ApplicationController> controller_;
  EventHub hub_;
  DelayedPoster delayed_;
};

}  // namespace quelt::core
