#pragma once

// The MSN session against the scripted notification server and the HTTPS Passport server on
// loopback: an application with the English texts, quick timings and recorders of its events.
#include <gtest/gtest.h>

#include "core/Application.h"
#include "core/PasswordScrambler.h"
#include "msn/MsnSession.h"
#include "msn/MsnSessionFactory.h"
#include "net/ConnectionWatcher.h"
#include "platform/TextCodec.h"
#include "resources/TextResources.h"
#include "support/CountingNotifier.h"
#include "support/MsnServer.h"
#include "support/PassportServer.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"

namespace quelt::msn {

using core::EventCode;
using test::MsnServer;
using test::PassportServer;

// The lines the client sent on a connection, without the keep-alive's PNGs, which come whenever
// their period says.
inline std::vector<std::string> LinesOf(const MsnServer::Log& log, int connection) {
  std::vector<std::string> lines = log.LinesOf(connection);
  std::erase(lines, "PNG");
  return lines;
}

// Polls state that no event announces; bounded, so a failure shows instead of hanging.
inline bool Eventually(const std::function<bool()>& condition) {
  for (int i = 0; i < 1000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return condition();
}

// One messenger of its own with an MSN account: program folder, event machinery, application.
class MsnPeer {
 public:
  MsnPeer() {
    std::filesystem::create_directories(folder / "Language");
    std::filesystem::copy_file(std::filesystem::path(QUELT_DATA_DIR) / "Language" / "English.Lang.xml",
                               folder / "Language" / "English.Lang.xml");
    dispatcher->AddUiListener(ui);
  }

  // An application for the account, with both servers named in its configuration.
  void Start(const MsnServer& server, const PassportServer& passport, const std::string& email,
             const std::string& password, const std::string& extraConfig = "") {
    test::WriteFile(
        folder / "Messenger.config",
        "MSN_ENABLED=True\r\nMSN_EMAIL=" + email +
            "\r\nMSN_PASSWORD=" + platform::Utf16ToUtf8(core::EncodePassword(platform::Utf8ToUtf16(password))) +
            "\r\nMSN_SERVER=127.0.0.1:" + std::to_string(server.Port()) + "\r\nMSN_NEXUS=" + passport.Nexus() +
            "\r\nMSN_CA_FILE=" + passport.CaFile().string() + "\r\n" + extraConfig);
    Launch();
  }

  // An application from the configuration as it is.
  void Launch() {
    watcher = std::make_shared<net::ConnectionWatcher>();  // one per application, as in the program
    application = std::make_unique<core::Application>(
        core::SettingsEnvironment{.programFolder = folder.Path()}, dispatcher,
        core::ApplicationServices{.language = std::make_shared<resources::TextResources>(),
                               .sessions = std::make_shared<MsnSessionFactory>(timings),
                               .connections = watcher,
                               .notifier = notifier,
                               .timings = {.autoConnectDelayMs = 50, .reconnectDelayMs = 100}});
    application->Initialise();
    application->AddListener(core);
  }

  void SetStatus(int32_t status) {
    application->PostEvent(core::MakeEvent(EventCode::SetMsnStatus, core::StatusPayload{.status = status}));
  }
  MsnSession& Session() { return dynamic_cast<MsnSession&>(*application->MsnSession()); }

  test::TempFolder folder;
  // Quick, so that tests wait little; a test may change them before Start.
  MsnTimings timings{.reconnect = {.networkPollMs = 100, .backoffStepMs = 100, .backoffMaxMs = 1000},
                     .keepAliveMs = 100,
                     .switchboardIdleMs = 300,
                     .activityExpiryMs = 200,
                     .passportTimeoutMs = 5000};
  std::shared_ptr<core::UiDispatcher> dispatcher = std::make_shared<core::UiDispatcher>();
  test::TestUiThread uiThread{*dispatcher};
  std::shared_ptr<net::ConnectionWatcher> watcher;
  std::shared_ptr<test::RecordingListener> core = std::make_shared<test::RecordingListener>();
  std::shared_ptr<test::RecordingListener> ui = std::make_shared<test::RecordingListener>();
  std::shared_ptr<test::CountingNotifier> notifier = std::make_shared<test::CountingNotifier>();
  std::unique_ptr<core::Application> application;
};

// A test with one peer, under the names the session tests use.
class MsnSessionFixture : public ::testing::Test {
 protected:
  void Start(const MsnServer& server, const PassportServer& passport, const std::string& email,
             const std::string& password, const std::string& extraConfig = "") {
    peer_.Start(server, passport, email, password, extraConfig);
  }
  void SetStatus(int32_t status) { peer_.SetStatus(status); }
  MsnSession& Session() { return peer_.Session(); }

  MsnPeer peer_;
  test::TempFolder& folder_ = peer_.folder;
  std::shared_ptr<net::ConnectionWatcher>& watcher_ = peer_.watcher;
  std::shared_ptr<test::RecordingListener>& core_ = peer_.core;
  std::shared_ptr<test::RecordingListener>& ui_ = peer_.ui;
  std::unique_ptr<core::Application>& application_ = peer_.application;
};

}  // namespace quelt::msn
