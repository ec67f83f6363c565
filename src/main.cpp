// The messenger's entry point: one copy per user, the display, the application and the
// user-interface loop, then a bounded wait for the protocol connections to wind down.
#include <clocale>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

#include "core/Application.h"
#include "core/CombinedSessionFactory.h"
#include "core/SessionWorker.h"
#include "core/SingleInstance.h"
#include "download/DownloadManager.h"
#include "homeplugin/TileRegistration.h"
#include "icq/IcqSessionFactory.h"
#include "msn/MsnSessionFactory.h"
#include "net/ConnectionWatcher.h"
#include "platform/Folders.h"
#include "platform/Log.h"
#include "platform/Registry.h"
#include "platform/screen/Display.h"
#include "resources/LookSet.h"
#include "resources/TextResources.h"
#include "ui/shell/DeviceNotifier.h"
#include "ui/shell/DisplayUiLoop.h"
#include "ui/shell/MainWindowPort.h"
#include "ui/shell/ProgramWindows.h"
#include "ui/shell/ScreenSize.h"
#include "ui/toolkit/WindowStack.h"
#include "ui/windows/ContactListWindow.h"

namespace {

using namespace quelt;

constexpr uint32_t kShutdownWaitMs = 15000;

int RunMessenger() {
  ui::MainWindowPort mainWindowPort;
  auto claim = core::ClaimSingleInstance(
      core::kMainWindowClass,
      [&mainWindowPort](const platform::PortMessage& message) { return mainWindowPort.Handle(message); });
  if (claim.anotherIsRunning) {
    platform::Log("another copy is running; asked it to come to the front");
    return 0;
  }

  const ui::ScreenSize screen = ui::ScreenSizeFromEnvironment();
  std::string error;
  auto display = platform::Display::Open("Quelt Messenger", screen.width, screen.height, error);
  if (!display) {
    std::fprintf(stderr, "QUELTMessenger: no display to show the messenger on (%s)\n", error.c_str());
    return 1;
  }

  const auto programFolder = platform::ProgramFolder();
  auto registry = platform::Registry::ForUser();
  // The home screen finds the row's library beside the program.
  if (!home::RegisterStatusTile(registry, programFolder / home::kStatusTileLibrary)) {
    platform::Log("could not register the home-screen component in %s", registry.File().c_str());
  }

  auto dispatcher = std::make_shared<core::UiDispatcher>();
  ui::DisplayUiLoop loop(*dispatcher, *display, screen);
  core::SettingsEnvironment environment{
      .programFolder = programFolder, .documentsFolder = platform::DocumentsFolder(), .screenWidth = screen.width};
  auto texts = std::make_shared<resources::TextResources>();
  auto downloads = std::make_shared<download::DownloadManager>();
  auto application = std::make_unique<core::Application>(
      environment, dispatcher,
      core::ApplicationServices{
          .look = std::make_shared<resources::LookSet>(),
          .language = texts,
          .downloads = downloads,
          .sessions = std::make_shared<core::CombinedSessionFactory>(std::make_shared<icq::IcqSessionFactory>(),
                                                                     std::make_shared<msn::MsnSessionFactory>()),
          .connections = std::make_shared<net::ConnectionWatcher>(),
          .notifier = std::make_shared<ui::DeviceNotifier>()});
  downloads->Attach(*application);
  application->Initialise();

  auto window = std::make_shared<ui::ContactListWindow>(
      *application, loop, screen, std::make_shared<ui::ApplicationAccounts>(*application),
      std::make_shared<ui::ProgramWindows>(*application, loop, screen));
  auto homeTile = std::make_shared<ui::HomeTileLink>();
  window->LinkHomeTile(homeTile);
  dispatcher->AddUiListener(window);
  loop.Windows().Push(window);
  display->Show();
  display->Raise();
  mainWindowPort.Attach(display.get(), application.get());
  platform::Log("main window ready");

  application->PostAutoConnect();
  const int exitCode = loop.Run();
  homeTile->Close();

  mainWindowPort.Detach();
  // The windows hold the accounts' models, and through them the sessions, which must end now.
  dispatcher->RemoveUiListener(window.get());
  while (const auto top = loop.Windows().Top()) loop.Windows().Remove(top.get());
  window.reset();
  claim.port.reset();
  // A download keeps what it has; it starts again from the beginning next time.
  downloads->StopAll();
  if (!core::WaitForWorkersToEnd(kShutdownWaitMs)) {
    // Threads still winding down use the application; ending the process cuts them off.
    platform::Log("connections still open after %u ms; leaving anyway", kShutdownWaitMs);
    std::fflush(nullptr);
    std::_Exit(exitCode);
  }
  downloads->Detach();
  return exitCode;
}

}  // namespace

int main() {
#ifdef __GLIBC__
  // A handful of mostly idle threads: with one heap, what one thread frees serves the others
  // instead of staying resident in a heap of its own (about 1.5 MB with full lists).
  mallopt(M_ARENA_MAX, 1);
#endif
  // Names sort as the user's language sorts them.
  std::setlocale(LC_COLLATE, "");
  try {
    return RunMessenger();
  } catch (const std::bad_alloc&) {
    quelt::platform::Log("out of memory");
    return 1;
  }
}
