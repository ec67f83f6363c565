// Incoming ICQ messages from the scripted OSCAR server's socket to IcqMessageReceived on the user-interface
// side, each one parsed, stored in the history file and announced. CPU time is the whole
// process's (the server's sending thread included) divided by the messages, in user and system
// time.
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "ProcessCpu.h"
#include "core/Application.h"
#include "core/UiDispatcher.h"
#include "icq/IcqSession.h"
#include "icq/IcqSessionFactory.h"
#include "net/ConnectionWatcher.h"
#include "support/OscarServer.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"

namespace {

using namespace quelt;
using namespace quelt::test::oscar;

// Counts messages without keeping them, so the count itself costs nothing worth measuring.
class MessageCounter final : public core::EventListener {
 public:
  void OnEvent(const core::AppEventPtr& event) override {
    if (event->Code() != core::EventCode::IcqMessageReceived) return;
    {
      std::lock_guard lock(mutex_);
      ++count_;
    }
    changed_.notify_all();
  }
  bool WaitFor(size_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [&] { return count_ >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  size_t count_ = 0;
};

void BM_IncomingMessageToEvent40(benchmark::State& state) {
  const size_t batch = size_t(state.range(0));
  test::OscarServer::Script script;
  script.accounts = {{"1111", "pw1111"}};
  test::OscarServer server(script);
  test::TempFolder folder;
  test::WriteFile(folder / "Messenger.config",
                  "UIN=1111\r\nPASSWORD=pw1111\r\nSOUND=0\r\nVIBRO=0\r\nLOGINHOSTS=127.0.0.1:" +
                      std::to_string(server.LoginPort()) + "\r\n");
  auto dispatcher = std::make_shared<core::UiDispatcher>();
  test::TestUiThread uiThread(*dispatcher);
  auto counter = std::make_shared<MessageCounter>();
  dispatcher->AddUiListener(counter);
  auto events = std::make_shared<test::RecordingListener>();
  core::Application application(core::SettingsEnvironment{.programFolder = folder.Path()}, dispatcher,
                                core::ApplicationServices{.sessions = std::make_shared<icq::IcqSessionFactory>(),
                                                       .connections = std::make_shared<net::ConnectionWatcher>()});
  application.Initialise();
  application.AddListener(events);
  application.PostEvent(core::MakeEvent(core::EventCode::SetIcqStatus, core::StatusPayload{.status = 0}));
  if (!events->WaitFor(core::EventCode::IcqStartupDone)) {
    state.SkipWithError("start-up did not finish");
    return;
  }

  std::vector<std::string> messages;
  for (uint32_t i = 0; i < batch; ++i) messages.push_back(ChannelOneMessage(i, "2222"));
  const auto history = dynamic_cast<icq::IcqSession&>(*application.IcqSession()).ConversationWith("2222");
  size_t delivered = 0;
  bench::CpuTimes cpu;
  for (auto _ : state) {
    const bench::CpuTimes cpuStart = bench::ProcessCpu();
    for (const std::string& message : messages) server.SendToBos(2, message);
    delivered += batch;
    // Announced, and stored too: the history is written beside the events.
    if (!counter->WaitFor(delivered) || !application.History().Flush(*history, 30000)) {
      state.SkipWithError("messages did not all arrive");
      return;
    }
    cpu += bench::ProcessCpu() - cpuStart;
  }
  state.SetItemsProcessed(int64_t(delivered));
  bench::ReportCpuPerItem(state, cpu, int64_t(delivered));
}

}  // namespace

BENCHMARK(BM_IncomingMessageToEvent40)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
