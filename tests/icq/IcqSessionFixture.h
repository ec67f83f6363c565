#pragma once

// The ICQ session against the scripted OSCAR server on loopback: an application with the
// English texts, quick timings, and recorders on both sides of the event machinery.
#include <gtest/gtest.h>

#include "core/Application.h"
#include "icq/IcqSession.h"
#include "icq/IcqSessionFactory.h"
#include "net/ConnectionWatcher.h"
#include "resources/TextResources.h"
#include "support/OscarServer.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"

namespace quelt::icq {

using core::EventCode;
using test::OscarServer;

inline constexpr IcqTimings kQuick{
    .reconnect = {.networkPollMs = 100, .backoffStepMs = 100, .backoffMaxMs = 1000},
    .keepAliveMs = 150,
    .draftExpiryMs = 100};

inline std::string Host(uint16_t port) { return "127.0.0.1:" + std::to_string(port); }

class IcqSessionFixture : public ::testing::Test {
 protected:
  IcqSessionFixture() {
    std::filesystem::create_directories(folder_ / "Language");
    std::filesystem::copy_file(std::filesystem::path(QUELT_DATA_DIR) / "Language" / "English.Lang.xml",
                               folder_ / "Language" / "English.Lang.xml");
  }

  // Builds the application for an account whose login servers are `hosts`, and asks it online.
  void SignIn(const std::string& hosts, const std::string& extraConfig = "", int32_t status = 0x0011) {
    test::WriteFile(folder_ / "Messenger.config",
                    "UIN=123456789\r\nPASSWORD=secret\r\nLOGINHOSTS=" + hosts + "\r\n" + extraConfig);
    Launch(status);
  }

  // Builds the application from the configuration as it is, and asks it for the status.
  void Launch(int32_t status = 0x0011) {
    dispatcher_->AddUiListener(ui_);
    watcher_ = std::make_shared<net::ConnectionWatcher>();  // one per application, as in the program
    application_ = std::make_unique<core::Application>(
        core::SettingsEnvironment{.programFolder = folder_.Path()}, dispatcher_,
        core::ApplicationServices{.language = std::make_shared<resources::TextResources>(),
                               .sessions = std::make_shared<IcqSessionFactory>(timings_),
                               .connections = watcher_,
                               .timings = {.autoConnectDelayMs = 50, .reconnectDelayMs = 100}});
    application_->Initialise();
    application_->AddListener(core_);
    if (onCreated_) onCreated_(Session());
    application_->PostEvent(core::MakeEvent(EventCode::SetIcqStatus, core::StatusPayload{.status = status}));
  }

  // A fresh start of the program, asked online; the recorders start empty.
  void Restart(const std::string& hosts) {
    application_.reset();
    core_ = std::make_shared<test::RecordingListener>();
    ui_ = std::make_shared<test::RecordingListener>();
    SignIn(hosts);
  }

  IcqSession& Session() { return dynamic_cast<IcqSession&>(*application_->IcqSession()); }
  std::string Config() { return test::ReadFile(folder_ / "Messenger.config"); }

  std::vector<std::u16string> ProgressTexts() const {
    std::vector<std::u16string> texts;
    for (const auto& received : ui_->Events()) {
      if (received.event->Code() == EventCode::IcqProgressText) {
        texts.push_back(*core::PayloadOf<std::u16string>(*received.event));
      }
    }
    return texts;
  }

  test::TempFolder folder_;
  std::shared_ptr<core::UiDispatcher> dispatcher_ = std::make_shared<core::UiDispatcher>();
  test::TestUiThread uiThread_{*dispatcher_};
  std::shared_ptr<net::ConnectionWatcher> watcher_ = std::make_shared<net::ConnectionWatcher>();
  std::shared_ptr<test::RecordingListener> core_ = std::make_shared<test::RecordingListener>();
  std::shared_ptr<test::RecordingListener> ui_ = std::make_shared<test::RecordingListener>();
  std::function<void(IcqSession&)> onCreated_;
  IcqTimings timings_ = kQuick;
  std::unique_ptr<core::Application> application_;
};

}  // namespace quelt::icq
