#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace quelt::core {

class Application;
class Settings;

// A protocol session as the application drives it. The ICQ and MSN engines implement it.
class ProtocolSession {
 public:
  virtual ~ProtocolSession() = default;
  virtual void Start() = 0;                            // after construction: start the worker and keep-alive threads
  virtual void Stop() = 0;                             // at quit: end the threads, without waiting
  virtual void Disconnect() = 0;                       // the account is about to be replaced: leave the server
  virtual void Shutdown() = 0;                         // and tear the session down
  virtual void OnNetworkLost() = 0;                    // the data connection is gone
  [[nodiscard]] virtual int32_t Presence() const = 0;  // -1 while the user wants to be offline
  // After Stop: waits until no thread of the session touches the application any more; false
  // when timeoutMs passed first.
  [[nodiscard]] virtual bool WaitUntilEnded(uint32_t timeoutMs) = 0;
};

// Builds sessions for an account; the protocol engines provide it.
class SessionFactory {
 public:
  virtual ~SessionFactory() = default;
  [[nodiscard]] virtual std::shared_ptr<ProtocolSession> CreateIcqSession(Application& application,
                                                                          const std::u16string& uin) = 0;
  [[nodiscard]] virtual std::shared_ptr<ProtocolSession> CreateMsnSession(Application& application,
                                                                          const std::u16string& email) = 0;
};

// The look: skin and icon set. Each load takes the set's folder and the file name the settings
// give; a failure leaves the built-in defaults.
class LookResources {
 public:
  virtual ~LookResources() = default;
  virtual void LoadSkin(const std::filesystem::path& folder, const std::u16string& file) = 0;
  virtual void LoadIcons(const std::filesystem::path& folder, const std::u16string& file) = 0;
};

// The user-interface texts and the quick-search keypad map. A failed load changes nothing.
class LanguageResources {
 public:
  virtual ~LanguageResources() = default;
  virtual bool LoadLanguage(const std::filesystem::path& folder, const std::u16string& file) = 0;
  virtual bool LoadKeypadMap(const std::filesystem::path& folder, const std::u16string& file) = 0;
  // A text by its language key; empty when the language file has none. Any thread.
  [[nodiscard]] virtual std::u16string Text(std::string_view key) const = 0;
};

// The download manager's persisted list, saved and reloaded around a change of settings.
class DownloadListStore {
 public:
  virtual ~DownloadListStore() = default;
  virtual void SaveList() = 0;
  virtual void LoadList(const std::shared_ptr<Settings>& settings) = 0;
};

// Asks the machine for a data connection; the answer arrives as network events.
class ConnectionRequester {
 public:
  virtual ~ConnectionRequester() = default;
  virtual void RequestConnection(Application& application) = 0;
};

// Sound and vibration for incoming messages. Both return at once; the work happens on a
// short-lived thread of its own that holds nothing of the caller's.
class Notifier {
 public:
  virtual ~Notifier() = default;
  virtual void PlaySound(const std::filesystem::path& wavFile) = 0;
  // `pulses` pulses of 250 ms with 250 ms pauses; nothing on a machine without a vibrator.
  virtual void Vibrate(int pulses) = 0;
};

// The application's own delays, shortened by tests.
struct ApplicationTimings {
  uint32_t autoConnectDelayMs = 1000;  // from start-up to the saved presences
  uint32_t reconnectDelayMs = 5000;    // from a lost network to the next connection request
};

// The services an application is built from. Any of them may be absent in a build or a test;
// the application then skips what it would have asked of it.
struct ApplicationServices {
  std::shared_ptr<LookResources> look;
  std::shared_ptr<LanguageResources> language;
  std::shared_ptr<DownloadListStore> downloads;
  std::shared_ptr<SessionFactory> sessions;
  std::shared_ptr<ConnectionRequester> connections;
  std::shared_ptr<Notifier> notifier;
  ApplicationTimings timings;
};

}  // namespace quelt::core
