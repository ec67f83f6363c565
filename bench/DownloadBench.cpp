// The download engine: one large file from the loopback HTTP server written to disk (throughput
// and this process's CPU per megabyte), and the download list growing by a thousand links, each
// added link writing the whole list again.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include "ProcessCpu.h"
#include "core/Settings.h"
#include "download/DownloadFileName.h"
#include "download/DownloadManager.h"
#include "download/DownloadRun.h"
#include "download/DownloadTask.h"
#include "download/HttpTestServer.h"
#include "platform/Event.h"
#include "platform/TextCodec.h"
#include "support/TempFolder.h"

namespace {

using namespace quelt;

constexpr size_t kFileBytes = size_t{64} << 20;
constexpr double kMegabyte = 1 << 20;

void BM_DownloadLargeFile(benchmark::State& state) {
  test::TempFolder folder;
  std::string error;
  const auto server = test::HttpTestServer::Start(folder.Path(), error);
  if (!server) {
    state.SkipWithError(error.c_str());
    return;
  }
  platform::Event networkUp(platform::Event::Mode::ManualReset, true);
  const download::DownloadEnvironment environment{.folder = folder / "incoming", .networkUp = &networkUp};
  const std::u16string url = platform::Utf8ToUtf16(server->Url("/file/" + std::to_string(kFileBytes)));
  bench::CpuTimes cpu;
  int64_t bytes = 0;
  for (auto _ : state) {
    const auto task = std::make_shared<download::DownloadTask>(url, u"");
    (void)task->BeginRun();
    const auto before = bench::ProcessCpu();
    const auto start = std::chrono::steady_clock::now();
    download::RunDownload(task, environment);
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    cpu += bench::ProcessCpu() - before;
    if (!task->Progress().complete) {
      state.SkipWithError("the download did not complete");
      return;
    }
    bytes += static_cast<int64_t>(kFileBytes);
  }
  state.SetBytesProcessed(bytes);
  const double megabytes = double(bytes) / kMegabyte;
  state.counters["cpu_ms_per_MB"] = (cpu.user + cpu.system) * 1e3 / megabytes;
  state.counters["user_ms_per_MB"] = cpu.user * 1e3 / megabytes;
  state.counters["sys_ms_per_MB"] = cpu.system * 1e3 / megabytes;
}

void BM_AddLinks(benchmark::State& state) {
  const auto links = static_cast<int>(state.range(0));
  for (auto _ : state) {
    // Without an application the manager only keeps the list: nothing is fetched.
    test::TempFolder folder;
    std::filesystem::create_directories(folder / "docs");
    const auto settings = std::make_shared<core::Settings>(
        core::SettingsEnvironment{.programFolder = folder.Path(), .documentsFolder = folder / "docs"});
    const auto manager = std::make_shared<download::DownloadManager>();
    manager->LoadList(settings);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < links; ++i) {
      (void)manager->AddLink(u"http://127.0.0.1:9/files/file" + platform::Utf8ToUtf16(std::to_string(i)) + u".zip");
    }
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    const auto list = test::ReadFile(manager->Folder() / download::kStateFileName);
    if (manager->Tasks().size() != static_cast<size_t>(links) ||
        list.find("file" + std::to_string(links - 1)) == std::string::npos) {
      state.SkipWithError("the list does not hold every link");
      return;
    }
    state.counters["list_bytes"] = double(list.size());
  }
  state.SetItemsProcessed(state.iterations() * links);
}

}  // namespace

BENCHMARK(BM_DownloadLargeFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_AddLinks)->Arg(1000)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK_MAIN();
