// Time from the user's status request to the end of the ICQ start-up, against the scripted
// OSCAR server on loopback: login, redirect, BOS start-up with list check, status, ready.
#include <benchmark/benchmark.h>

#include <chrono>

#include "core/Application.h"
#include "icq/IcqSessionFactory.h"
#include "net/ConnectionWatcher.h"
#include "support/OscarServer.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"

namespace {

using namespace quelt;

void BM_StatusRequestToStartupDone(benchmark::State& state) {
  test::OscarServer server;
  int rounds = 0;
  for (auto _ : state) {
    test::TempFolder folder;
    test::WriteFile(folder / "Messenger.config", "UIN=123456789\r\nPASSWORD=secret\r\nLOGINHOSTS=127.0.0.1:" +
                                                     std::to_string(server.LoginPort()) + "\r\n");
    auto events = std::make_shared<test::RecordingListener>();
    core::Application application(core::SettingsEnvironment{.programFolder = folder.Path()}, nullptr,
                                  core::ApplicationServices{.sessions = std::make_shared<icq::IcqSessionFactory>(),
                                                         .connections = std::make_shared<net::ConnectionWatcher>()});
    application.Initialise();
    application.AddListener(events);
    // Timed by hand: building and tearing down the application is not part of signing on.
    const auto start = std::chrono::steady_clock::now();
    application.PostEvent(core::MakeEvent(core::EventCode::SetIcqStatus, core::StatusPayload{.status = 0}));
    if (!events->WaitFor(core::EventCode::IcqStartupDone)) state.SkipWithError("start-up did not finish");
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    ++rounds;
  }
  state.counters["sign_ons"] = rounds;
}

}  // namespace

BENCHMARK(BM_StatusRequestToStartupDone)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(30);
BENCHMARK_MAIN();
