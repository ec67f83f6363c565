#include "ui/MainWindow.h"

#include <gtest/gtest.h>

#include <thread>

#include "core/Application.h"
#include "platform/screen/Surface.h"
#include "support/FakeApplicationServices.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"
#include "ui/HeadlessUiLoop.h"
#include "ui/MainWindowPort.h"
#include "ui/SoftKeyBar.h"

namespace quelt::ui {
namespace {

using platform::Color;
using platform::InputEvent;
using platform::Key;

// The program as main() assembles it, with a headless loop running on a thread of its own.
class MainWindowTest : public ::testing::TestWithParam<ScreenSize> {
 protected:
  MainWindowTest() {
    test::WriteFile(folder_ / core::Settings::kFileName, "UIN=1234\r\n");
    loop_ = std::make_unique<HeadlessUiLoop>(*dispatcher_, GetParam());
    core::ApplicationServices parts{.sessions = sessions_};
    application_ = std::make_unique<core::Application>(
        core::SettingsEnvironment{.programFolder = folder_.Path(), .documentsFolder = folder_.Path()}, dispatcher_,
        parts);
    application_->Initialise();
    window_ = std::make_shared<MainWindow>(*application_, *loop_, GetParam());
    dispatcher_->AddUiListener(window_);
    loop_->SetWindow(window_);
  }

  ~MainWindowTest() override {
    if (uiThread_.joinable()) {
      loop_->Quit(0);
      uiThread_.join();
    }
  }

  void StartLoop() {
    uiThread_ = std::thread([this] { exitCode_ = loop_->Run(); });
  }

  int WaitForExit() {
    uiThread_.join();
    return exitCode_;
  }

  test::TempFolder folder_;
  std::shared_ptr<core::UiDispatcher> dispatcher_ = std::make_shared<core::UiDispatcher>();
  std::shared_ptr<test::FakeSessionFactory> sessions_ = std::make_shared<test::FakeSessionFactory>();
  std::unique_ptr<HeadlessUiLoop> loop_;
  std::unique_ptr<core::Application> application_;
  std::shared_ptr<MainWindow> window_;
  std::thread uiThread_;
  int exitCode_ = -1;
};

TEST_P(MainWindowTest, PaintsBackgroundTitleAndSoftKeyBar) {
  const ScreenSize size = GetParam();
  auto surface = platform::Surface::Create(size.width, size.height);
  ASSERT_NE(surface, nullptr);
  window_->Paint(*surface);
  const Look& look = DefaultLook();
  EXPECT_EQ(surface->PixelAt(size.width / 2, size.height / 2), look.background);
  EXPECT_EQ(surface->PixelAt(1, size.height - 2), look.softKeyBar);

  // The title is drawn in the top rows: some pixels there are darker than the background.
  int titlePixels = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < size.width; ++x) titlePixels += surface->PixelAt(x, y) != look.background ? 1 : 0;
  }
  EXPECT_GT(titlePixels, 30);
}

TEST_P(MainWindowTest, LeftSoftKeyRunsTheQuitSequence) {
  StartLoop();
  loop_->PostInput({.kind = InputEvent::Kind::Key, .key = Key::LeftSoft});
  EXPECT_EQ(WaitForExit(), 0);
  ASSERT_EQ(sessions_->IcqCreated().size(), 1u);
  EXPECT_TRUE(sessions_->IcqCreated()[0]->stopped);
  EXPECT_EQ(application_->IcqSession(), nullptr);
  // The hub has stopped: a core event posted now reaches nobody.
  auto late = std::make_shared<test::RecordingListener>();
  application_->AddListener(late);
  application_->PostEvent(core::MakeEvent(core::EventCode::SetIcqStatus, core::StatusPayload{}));
  EXPECT_FALSE(late->WaitFor(core::EventCode::SetIcqStatus, std::chrono::milliseconds(100)));
}

TEST_P(MainWindowTest, ClosingTheWindowTakesTheQuitPath) {
  StartLoop();
  loop_->PostInput({.kind = InputEvent::Kind::Quit});
  EXPECT_EQ(WaitForExit(), 0);
  EXPECT_TRUE(sessions_->IcqCreated()[0]->stopped);
}

TEST_P(MainWindowTest, ClickOnTheLeftHalfOfTheBarIsTheLeftSoftKey) {
  const ScreenSize size = GetParam();
  EXPECT_EQ(window_->KeyForClick(size.width - 5, size.height - 3), Key::RightSoft);
  EXPECT_EQ(window_->KeyForClick(size.width / 2, size.height / 2), std::nullopt);
  StartLoop();
  loop_->PostInput({.kind = InputEvent::Kind::Click, .x = 5, .y = size.height - 3});
  EXPECT_EQ(WaitForExit(), 0);
}

TEST_P(MainWindowTest, EventsWakeTheLoopWhichRepaints) {
  StartLoop();
  auto ui = std::make_shared<test::RecordingListener>();
  dispatcher_->AddUiListener(ui);
  application_->PostEvent(core::MakeEvent(core::EventCode::ViewRefresh));
  ASSERT_TRUE(ui->WaitFor(core::EventCode::ViewRefresh));
  EXPECT_GE(loop_->WakeCount(), 1u);
  EXPECT_EQ(ui->Events().back().thread, uiThread_.get_id());
  // Painted at the start and again after the refresh, before the loop waits once more.
  EXPECT_TRUE(loop_->WaitForPresentCount(2, 10000));
}

TEST_P(MainWindowTest, PortRaisesTheWindowAndTurnsStateRequestsIntoARefresh) {
  MainWindowPort port;
  platform::PortMessage activate{.kind = platform::PortMessageKind::Activate};
  platform::PortMessage request{.kind = platform::PortMessageKind::CopyData, .tag = 0};
  platform::PortMessage unknown{.kind = platform::PortMessageKind::CopyData, .tag = 9};
  // Before the application exists an activation is still acknowledged; a request is not.
  EXPECT_EQ(port.Handle(activate), 1u);
  EXPECT_EQ(port.Handle(request), 0u);

  auto ui = std::make_shared<test::RecordingListener>();
  dispatcher_->AddUiListener(ui);
  StartLoop();
  port.Attach(nullptr, application_.get());
  EXPECT_EQ(port.Handle(request), 1u);
  EXPECT_EQ(port.Handle(unknown), 0u);
  EXPECT_TRUE(ui->WaitFor(core::EventCode::ViewRefresh));
  port.Detach();
  EXPECT_EQ(port.Handle(request), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothScreens, MainWindowTest, ::testing::Values(ScreenSize{240, 320}, ScreenSize{176, 220}),
                         [](const auto& param) {
                           return std::to_string(param.param.width) + "x" + std::to_string(param.param.height);
                         });

}  // namespace
}  // namespace quelt::ui
