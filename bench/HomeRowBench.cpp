// The home screen's row with the whole messenger behind it, measured from outside.
//
//   home_row_bench latency [count]  from a contact's presence change on the ICQ server to the
//                                   row repainted by the home screen (median and spread of
//                                   `count` changes; the messenger runs as its own process)
//   home_row_bench memory           resident memory and idle CPU of quelt-home on an X server,
//                                   with the shipped scheme and with the messenger's row in it
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "homehost/HomeScreen.h"
#include "homeplugin/TileRegistration.h"
#include "platform/Event.h"
#include "platform/Registry.h"
#include "platform/screen/Surface.h"
#include "support/MessengerProcess.h"
#include "support/PictureCompare.h"

namespace {

using namespace quelt;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr char kRowScheme[] = R"(<home><title>Home</title>
  <default padding-left="4" padding-top="4" b-border-width="1"/>
  <plugin clsid="{B9C26B1D-E14B-4AA1-B4E1-BE458AD26B52}" name="Date and time"/>
  <plugin clsid="{A37FA94B-2EBD-4662-BFEE-EF6434E2EAC3}" name="QUELTMsg" height="24"/>
  <plugin clsid="{11FCDE36-AF6F-4393-B401-CB79FD343CFB}" name="Owner"/></home>)";

// The messenger signed in, its row in the home screen's scheme and registered.
std::unique_ptr<test::MessengerProcess> Prepared() {
  auto messenger =
      std::make_unique<test::MessengerProcess>(test::MessengerProcess::Options{.program = QUELT_PROGRAM_PATH,
                                                                               .icqContacts = 20,
                                                                               .msnContacts = 20,
                                                                               .besideProgram = {STATUS_TILE_LIBRARY},
                                                                               .programWrapper = {}});
  auto registry = platform::Registry(messenger->ConfigFolder() / "quelt" / "registry");
  test::WriteFile(messenger->Home() / "row.home.xml", kRowScheme);
  if (!registry.SetString("HKCU\\ControlPanel\\Home", "Scheme", (messenger->Home() / "row.home.xml").string()) ||
      !home::RegisterStatusTile(registry, messenger->ProgramFolder() / "StatusTile.so")) {
    std::fprintf(stderr, "home_row_bench: cannot write the registry\n");
    return nullptr;
  }
  return messenger;
}

int Latency(int count) {
  auto messenger = Prepared();
  if (!messenger) return 1;
  test::ScopedEnv runtime("XDG_RUNTIME_DIR", messenger->RuntimeFolder().string());
  test::ScopedEnv config("XDG_CONFIG_HOME", messenger->ConfigFolder().string());
  platform::Event woken(platform::Event::Mode::AutoReset);
  home::HomeScreen home({.width = 240,
                         .height = 320,
                         .registryFile = platform::Registry::ForUser().File(),
                         .programFolder = messenger->ProgramFolder(),
                         .wake = [&woken] { woken.Set(); }});
  home.Load();
  if (!home.Listen() || !messenger->Start() || !messenger->SignIn()) return 1;
  auto screen = platform::Surface::Create(240, 320);
  auto before = platform::Surface::Create(240, 320);
  // Whatever the sign-in brought is painted before the first change.
  for (const auto end = Clock::now() + 2s; Clock::now() < end;) {
    if (woken.Wait(100)) home.RunPending();
    if (home.NeedsPaint()) home.Paint(*screen);
  }
  platform::Rect row;
  for (const auto& view : home.Rows()) {
    if (view.clsid == home::CLSID_StatusTile) row = view.area;
  }
  std::vector<double> latenciesMs;
  for (int i = 0; i < count; ++i) {
    before->Draw(*screen, 0, 0, {0, 0, 240, 320});
    const auto start = Clock::now();
    // Contact 300000 comes online and goes again: the row's count changes every time.
    messenger->Oscar().SetPresence("300000", i % 2 == 0 ? std::optional<uint16_t>(0) : std::nullopt);
    bool repainted = false;
    while (!repainted && Clock::now() - start < 5s) {
      if (!woken.Wait(100)) continue;
      home.RunPending();
      if (!home.NeedsPaint()) continue;
      home.Paint(*screen);
      repainted = test::Differ(*screen, *before, row);
    }
    if (!repainted) {
      std::fprintf(stderr, "home_row_bench: change %d never reached the row\n%s", i, messenger->Stderr().c_str());
      return 1;
    }
    latenciesMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    std::this_thread::sleep_for(20ms);  // let the messenger's later repaints of the same change pass
  }
  std::sort(latenciesMs.begin(), latenciesMs.end());
  const auto at = [&latenciesMs](double share) {
    return latenciesMs[std::min(latenciesMs.size() - 1, size_t(share * double(latenciesMs.size())))];
  };
  std::printf("presence change to repainted row, %d changes: median %.2f ms, 10%% %.2f ms, 90%% %.2f ms, max %.2f ms\n",
              count, at(0.5), at(0.1), at(0.9), latenciesMs.back());
  return messenger->Quit() ? 0 : 1;
}

int Memory() {
  auto messenger = Prepared();
  if (!messenger) return 1;
  test::XServer x;
  if (x.Display().empty()) return 1;
  const auto host = std::filesystem::path(QUELT_PROGRAM_PATH).parent_path() / "quelt-home";
  for (const bool withRow : {false, true}) {
    // Without the row: the shipped scheme, whose messenger row shows greyed while unregistered.
    const std::string config = (messenger->ConfigFolder() / (withRow ? "" : "none")).string();
    auto child = test::ChildProcess::Start(host, {{"DISPLAY", x.Display()},
                                                  {"SDL_VIDEODRIVER", ""},
                                                  {"HOME", messenger->Home().string()},
                                                  {"XDG_RUNTIME_DIR", messenger->RuntimeFolder().string()},
                                                  {"XDG_CONFIG_HOME", config}});
    if (!child) return 1;
    std::this_thread::sleep_for(1s);
    test::Settle(child->Pid());
    const auto before = test::CpuOf(child->Pid());
    std::this_thread::sleep_for(10s);
    const double idleMs = (test::CpuOf(child->Pid()).Total() - before.Total()) * 1000;
    std::printf("quelt-home %s: RSS %ld kB, peak %ld kB, %ld kB of it private data; %.0f ms of CPU in 10 s idle\n",
                withRow ? "with the messenger's row loaded" : "with the shipped scheme, no plugin loaded",
                test::StatusKb(child->Pid(), "VmRSS"), test::StatusKb(child->Pid(), "VmHWM"),
                test::StatusKb(child->Pid(), "RssAnon"), idleMs);
    child->Signal(SIGTERM);
    if (!child->WaitForExit(10s)) return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const int amount = argc > 2 ? std::atoi(argv[2]) : 0;
  if (mode == "latency") return Latency(amount > 0 ? amount : 100);
  if (mode == "memory") return Memory();
  std::fprintf(stderr, "usage: home_row_bench latency [count] | memory\n");
  return 2;
}
