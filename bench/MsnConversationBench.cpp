// Messages per second from a switchboard's socket to the history: the connection frames and parses
// each MSG, the hub hands it to the session, the conversation reads the payload, and the text is
// appended to the contact's history files. The switchboard is one the session was invited to.
// CPU time is the whole process's per message, in user and system time.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

#include "ProcessCpu.h"
#include "core/Application.h"
#include "msn/MsnParser.h"
#include "msn/MsnSession.h"
#include "support/LoopbackServer.h"
#include "support/TempFolder.h"
#include "support/TestUiThread.h"

namespace {

using namespace quelt;
constexpr auto kPatience = std::chrono::seconds(30);

// Sees each event after the session has handled it: the invitation's answer, and every text.
class Progress final : public core::EventListener {
 public:
  void OnEvent(const core::AppEventPtr& event) override {
    const auto* received = core::PayloadOf<msn::MsnCommandEvent>(*event);
    if (event->Code() == core::EventCode::MsnTextReceived) {
      Bump(texts_);
    } else if (received && received->command->Kind() == msn::MsnCommandKind::Ans) {
      Bump(answers_);
    }
  }
  bool WaitForAnswer() { return WaitFor(answers_, 1); }
  bool WaitForTexts(int64_t count) { return WaitFor(texts_, count); }

 private:
  void Bump(int64_t& counter) {
    {
      std::lock_guard lock(mutex_);
      ++counter;
    }
    changed_.notify_all();
  }
  bool WaitFor(const int64_t& counter, int64_t count) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, kPatience, [&] { return counter >= count; });
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  int64_t answers_ = 0;
  int64_t texts_ = 0;
};

// The switchboard's side: answers the client's ANS with bob as the one participant, then leaves
// the socket to the benchmark, which writes the messages.
void ServeInvitation(int socket, std::atomic<int>& open) {
  std::string received;
  while (received.find("\r\n") == std::string::npos) {
    const std::string more = test::LoopbackServer::ReceiveSome(socket);
    if (more.empty()) return;
    received += more;
  }
  if (received != "ANS 1 alice@example.com cookie 42\r\n") return;
  open.store(socket);
  test::LoopbackServer::SendAll(socket, "IRO 1 1 1 bob@example.com Bob\r\nANS 1 OK\r\n");
  while (!test::LoopbackServer::ReceiveSome(socket).empty()) {
  }
}

std::string MessageBatch(int count) {
  const std::string payload =
      "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nX-MMS-IM-Format: FN=Arial; EF=; CO=0; CS=0; "
      "PF=22\r\n\r\nAre we still on for tonight? The caf\xC3\xA9 on the corner at eight \xE2\x98\xBA";
  const std::string message = "MSG bob@example.com Bob " + std::to_string(payload.size()) + "\r\n" + payload;
  std::string batch;
  for (int i = 0; i < count; ++i) batch += message;
  return batch;
}

struct Rig {
  Rig() {
    test::WriteFile(folder / "Messenger.config", "MSN_ENABLED=True\r\nMSN_EMAIL=alice@example.com\r\n");
    application.Initialise();
    session = msn::MsnSession::Create(application, u"alice@example.com");
    session->Contacts().Add(msn::MsnContact{.email = u"bob@example.com",
                                            .friendlyName = u"Bob",
                                            .lists = msn::kForwardList | msn::kAllowList,
                                            .status = 1});
    application.AddListener(progress);
    const std::string rng = "RNG 42 127.0.0.1:" + server.PortText() + " CKI cookie bob@example.com Bob\r\n";
    const auto parsed = msn::ParseMsnCommand(msn::MsnConnectionKind::Notification,
                                             {reinterpret_cast<const uint8_t*>(rng.data()), rng.size()}, 0, 0);
    const auto notification = msn::MsnConnection::Create({}, msn::MsnConnectionKind::Notification, "127.0.0.1:1",
                                                         application.TextCodePage(), {});
    if (parsed) session->Conversations().OnCommand(*parsed->command, notification);
  }
  // The switchboard's I/O thread must be gone before the session and the application are.
  ~Rig() {
    for (const auto& conversation : session->Conversations().List()) {
      for (const int id : conversation->SwitchboardIds()) {
        const auto switchboard = session->Manager().Switchboard(id);
        session->Manager().CloseSwitchboard(id);
        if (switchboard) (void)switchboard->WaitUntilEnded(5000);
      }
    }
  }
  bool Ready() { return progress->WaitForAnswer() && !session->Conversations().List().empty() && socket.load() >= 0; }

  test::TempFolder folder;
  std::atomic<int> socket{-1};
  test::LoopbackServer server{[this](int accepted) { ServeInvitation(accepted, socket); }};
  std::shared_ptr<core::UiDispatcher> dispatcher = std::make_shared<core::UiDispatcher>();
  test::TestUiThread uiThread{*dispatcher};
  core::Application application{core::SettingsEnvironment{.programFolder = folder.Path()}, dispatcher};
  std::shared_ptr<msn::MsnSession> session;
  std::shared_ptr<Progress> progress = std::make_shared<Progress>();
};

void BM_ReceiveTexts(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  Rig rig;
  if (!rig.Ready()) {
    state.SkipWithError("the switchboard never came up");
    return;
  }
  const std::string batch = MessageBatch(count);
  int64_t sent = 0;
  bench::CpuTimes cpu;
  for (auto _ : state) {
    const bench::CpuTimes cpuStart = bench::ProcessCpu();
    if (!test::LoopbackServer::SendAll(rig.socket.load(), batch)) {
      state.SkipWithError("the switchboard closed");
      break;
    }
    sent += count;
    // Announced, and stored too: the history is written beside the events.
    const auto history = rig.session->Conversations().List().front()->History();
    if (!rig.progress->WaitForTexts(sent) || !history || !rig.application.History().Flush(*history, 30000)) {
      state.SkipWithError("messages went missing");
      break;
    }
    cpu += bench::ProcessCpu() - cpuStart;
  }
  state.SetItemsProcessed(sent);
  bench::ReportCpuPerItem(state, cpu, sent);
}

}  // namespace

BENCHMARK(BM_ReceiveTexts)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
