// A login's list synchronisation with 1,000 contacts: the SYN reply, the groups and every LST
// line parsed and applied, the acceptance rules, and the cache written at the end.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/Application.h"
#include "msn/MsnListService.h"
#include "msn/MsnParser.h"
#include "support/TempFolder.h"

namespace {

using namespace quelt;

std::vector<msn::MsnCommandPtr> SyncCommands(int contacts, int round) {
  std::string stream =
      "SYN 5 " + std::to_string(round) + " " + std::to_string(round) + " " + std::to_string(contacts) + " 20\r\n";
  for (int g = 0; g < 20; ++g) stream += "LSG Group%20" + std::to_string(g) + " " + std::to_string(g) + "\r\n";
  for (int i = 0; i < contacts; ++i) {
    const std::string n = std::to_string(i);
    stream += "LST N=contact" + n + "@example.com F=Contact%20%C3%A9%20" + n + " C=5b6c" + n +
              "-0000-4000-8000-00000000 " + (i % 7 == 0 ? "24" : "11") + " " + std::to_string(i % 20) + "\r\n";
  }
  std::vector<msn::MsnCommandPtr> commands;
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(stream.data()), stream.size());
  for (size_t at = 0; at < bytes.size();) {
    auto parsed = msn::ParseMsnCommand(msn::MsnConnectionKind::Notification, bytes, at, 0);
    if (!parsed) break;
    commands.push_back(parsed->command);
    at = parsed->next;
  }
  return commands;
}

void BM_SynchroniseList(benchmark::State& state) {
  const int contacts = static_cast<int>(state.range(0));
  test::TempFolder folder;
  core::Application application(core::SettingsEnvironment{.programFolder = folder.Path()}, nullptr);
  application.Initialise();
  msn::MsnContactList list(folder / "alice@example.com.xml");
  int sent = 0;
  msn::MsnListService service(application, list, u"alice@example.com",
                              {.send = [&](const auto&) { return ++sent > 0; }, .listCurrent = {}});
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const auto commands = SyncCommands(contacts, ++round);  // new versions: a full download each time
    state.ResumeTiming();
    for (const auto& command : commands) service.OnCommand(*command, nullptr);
  }
  state.counters["contacts"] = double(list.Contacts().size());
  state.SetItemsProcessed(int64_t(state.iterations()) * contacts);
}

}  // namespace

BENCHMARK(BM_SynchroniseList)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
