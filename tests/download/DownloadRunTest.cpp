#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

#include "download/DownloadRun.h"
#include "download/DownloadTask.h"
#include "download/HttpAttempt.h"
#include "download/HttpTestServer.h"
#include "platform/Event.h"
#include "platform/TextCodec.h"
#include "support/ProxyProcess.h"
#include "support/TempFolder.h"

namespace quelt::download {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

struct Report {
  bool finished = false;
  DownloadProgress progress;
};

// Compared whole, but without printing megabytes on a mismatch.
void ExpectFileHolds(const std::filesystem::path& file, size_t size) {
  const std::string bytes = test::ReadFile(file);
  EXPECT_EQ(bytes.size(), size);
  EXPECT_TRUE(bytes == test::HttpTestBody(size)) << "the file's bytes differ from the body's";
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s) {
  for (const auto deadline = Clock::now() + limit; Clock::now() < deadline; std::this_thread::sleep_for(5ms)) {
    if (condition()) return true;
  }
  return condition();
}

class DownloadRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The second attempt follows the environment: only what a test sets there counts.
    for (const char* name :
         {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
      environmentVariables_.push_back(std::make_unique<test::ScopedEnv>(name, std::nullopt));
    }
    std::string error;
    server_ = test::HttpTestServer::Start(folder_.Path(), error);
    ASSERT_TRUE(server_) << error;
  }

  std::shared_ptr<DownloadTask> Task(const std::string& path) {
    auto task = std::make_shared<DownloadTask>(platform::Utf8ToUtf16(server_->Url(path)), u"");
    EXPECT_TRUE(task->BeginRun());
    return task;
  }

  DownloadEnvironment Environment() {
    DownloadEnvironment environment;
    // A folder not made yet: the download makes it.
    environment.folder = folder_ / "incoming";
    environment.networkUp = &networkUp_;
    environment.report = [this](const std::shared_ptr<DownloadTask>& task, bool finished) {
      std::lock_guard lock(mutex_);
      reports_.push_back({finished, task->Progress()});
    };
    return environment;
  }

  std::filesystem::path FileOf(const DownloadTask& task) const {
    return folder_ / "incoming" / platform::Utf16ToUtf8(task.FileName());
  }

  std::vector<Report> Reports() const {
    std::lock_guard lock(mutex_);
    return reports_;
  }

  // Checks the end every run shares: one final report, the last one, with the task at rest.
  void ExpectEnded(const DownloadTask& task) const {
    const auto reports = Reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(reports.back().finished);
    EXPECT_EQ(std::count_if(reports.begin(), reports.end(), [](const Report& r) { return r.finished; }), 1);
    EXPECT_FALSE(task.Progress().running);
  }

  test::TempFolder folder_;
  std::vector<std::unique_ptr<test::ScopedEnv>> environmentVariables_;
  std::unique_ptr<test::HttpTestServer> server_;
  platform::Event networkUp_{platform::Event::Mode::ManualReset, true};
  mutable std::mutex mutex_;
  std::vector<Report> reports_;
};

TEST_F(DownloadRunTest, BodiesLandOnDiskAndCompleteOnlyWhenWhole) {
  struct Case {
    const char* path;
    uint32_t received;
    uint32_t total;
    bool complete;
    size_t requests;
    std::u16string_view error = u"";
  };
  const Case cases[] = {
      {"/file/100000", 100000, 100000, true, 1},
      {"/file/0", 0, 0, true, 1},
      {"/chunked/50000", 50000, 0, true, 1},
      {"/redirect/20000", 20000, 20000, true, 2},
      // A body of unknown length that breaks off is not a whole file.
      {"/chunkcut/30000", 30000, 0, false, 1, u"Can't download file"},
  };
  size_t requestsBefore = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    reports_.clear();
    const auto task = Task(c.path);
    RunDownload(task, Environment());

    ExpectEnded(*task);
    const auto progress = task->Progress();
    EXPECT_EQ(progress.complete, c.complete);
    EXPECT_EQ(progress.partial, c.received);
    EXPECT_EQ(progress.totalSize, c.total);
    EXPECT_EQ(progress.errorText, c.error);
    ExpectFileHolds(FileOf(*task), c.received);
    const size_t requests = server_->Requests(requestsBefore + c.requests).size();
    EXPECT_EQ(requests - requestsBefore, c.requests);
    requestsBefore = requests;

    // Progress is shown block by block only when the size is known.
    const auto reports = Reports();
    uint32_t shown = 0;
    for (size_t i = 0; i + 1 < reports.size(); ++i) {
      EXPECT_TRUE(reports[i].progress.running);
      EXPECT_EQ(reports[i].progress.totalSize, c.total);
      EXPECT_GT(reports[i].progress.partial, shown);
      EXPECT_LE(reports[i].progress.partial - shown, kHttpBlockSize);
      shown = reports[i].progress.partial;
    }
    EXPECT_EQ(shown, c.total);
  }
}

TEST_F(DownloadRunTest, RefusedLinkTriesDirectThenEnvironmentThenConfiguredProxy) {
  struct Case {
    core::ProxyType type;
    bool lastViaHttpProxy;
  };
  size_t requestsBefore = 0;
  for (const auto& c : {Case{core::ProxyType::Http, true}, Case{core::ProxyType::Socks5, false}}) {
    SCOPED_TRACE(static_cast<int>(c.type));
    test::TempFolder proxyFolder;
    std::string error;
    const auto httpProxy = test::ProxyProcess::StartTinyproxy(proxyFolder.Path(), error);
    ASSERT_TRUE(httpProxy) << error;
    const auto proxy =
        c.type == core::ProxyType::Http ? nullptr : test::ProxyProcess::StartDante(proxyFolder.Path(), "none", error);
    ASSERT_TRUE(c.type == core::ProxyType::Http || proxy) << error;
    test::ScopedEnv systemProxy("http_proxy", "http://127.0.0.1:" + std::to_string(httpProxy->Port()));

    reports_.clear();
    const auto task = Task("/missing");
    auto environment = Environment();
    environment.proxy = DownloadProxy{.type = c.type, .host = "127.0.0.1", .port = (proxy ? proxy : httpProxy)->Port()};
    RunDownload(task, environment);

    ExpectEnded(*task);
    EXPECT_FALSE(task->Progress().complete);
    EXPECT_EQ(task->Progress().errorText, u"Can't download file");
    EXPECT_FALSE(std::filesystem::exists(FileOf(*task)));
    const auto requests = server_->Requests(requestsBefore + 3);
    ASSERT_EQ(requests.size() - requestsBefore, 3u);
    EXPECT_FALSE(requests[requestsBefore].viaProxy);
    EXPECT_TRUE(requests[requestsBefore + 1].viaProxy);
    EXPECT_EQ(requests[requestsBefore + 2].viaProxy, c.lastViaHttpProxy);
    requestsBefore = requests.size();
    if (c.type == core::ProxyType::Http) {
      // The direct attempt fails and the proxied one brings the file: no failure is left to show.
      const auto proxied = Task("/proxied/500");
      RunDownload(proxied, environment);
      EXPECT_TRUE(proxied->Progress().complete);
      EXPECT_EQ(proxied->Progress().errorText, u"");
      requestsBefore = server_->Requests(requestsBefore + 2).size();
    }
  }
}

TEST_F(DownloadRunTest, FileFailuresAreReportedAndNeverComplete) {
  // The folder cannot be made: every attempt reaches the file and fails there.
  test::WriteFile(folder_ / "incoming", "a file where the folder should be");
  auto task = Task("/file/1000");
  RunDownload(task, Environment());
  EXPECT_FALSE(task->Progress().complete);
  EXPECT_EQ(task->Progress().errorText, u"Can't create file");
  EXPECT_EQ(server_->Requests(2).size(), 2u);
  std::filesystem::remove(folder_ / "incoming");

  // A full disk, as a file size limit: the write fails part-way and no further attempt is made.
  rlimit previous{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  rlimit limited = previous;
  limited.rlim_cur = 10000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  task = Task("/file/100000");
  RunDownload(task, Environment());
  setrlimit(RLIMIT_FSIZE, &previous);
  signal(SIGXFSZ, previousHandler);
  EXPECT_FALSE(task->Progress().complete);
  EXPECT_EQ(task->Progress().errorText, u"Can't write file");
  EXPECT_LT(task->Progress().partial, 10000u);
  EXPECT_EQ(server_->Requests(3).size(), 3u);

  // No server at all answers: the task says it failed rather than sit as if never started.
  task = std::make_shared<DownloadTask>(u"http://127.0.0.1:1/file.bin", u"");
  ASSERT_TRUE(task->BeginRun());
  RunDownload(task, Environment());
  EXPECT_EQ(task->Progress().errorText, u"Can't download file");
  EXPECT_FALSE(std::filesystem::exists(FileOf(*task)));
}

TEST_F(DownloadRunTest, StopInTheBodyKeepsThePartialFile) {
  const auto task = Task("/slow/10000000");
  std::thread runner([&] { RunDownload(task, Environment()); });
  ASSERT_TRUE(WaitUntil([&] { return task->Progress().partial >= 3000; }));
  task->RequestStop();
  runner.join();

  ExpectEnded(*task);
  const auto progress = task->Progress();
  EXPECT_FALSE(progress.complete);
  EXPECT_EQ(progress.totalSize, 10000000u);
  ExpectFileHolds(FileOf(*task), progress.partial);
  // A stopped download makes no further attempts.
  EXPECT_EQ(server_->Requests().size(), 1u);
}

TEST_F(DownloadRunTest, StopEndsAWaitOnASilentServerPromptly) {
  // Silent before the head, and silent after a head that announced a body.
  size_t requestsBefore = 0;
  for (const char* path : {"/silent/0", "/silent/1000"}) {
    SCOPED_TRACE(path);
    reports_.clear();
    const auto task = Task(path);
    std::thread runner([&] { RunDownload(task, Environment()); });
    ASSERT_TRUE(WaitUntil([&] { return server_->Requests().size() > requestsBefore; }));
    std::this_thread::sleep_for(100ms);
    const auto stopped = Clock::now();
    task->RequestStop();
    runner.join();

    EXPECT_LT(Clock::now() - stopped, 2500ms);
    ExpectEnded(*task);
    EXPECT_FALSE(task->Progress().complete);
    EXPECT_FALSE(std::filesystem::exists(FileOf(*task)));
    EXPECT_EQ(server_->Requests().size() - requestsBefore, 1u);
    requestsBefore = server_->Requests().size();
  }
}

TEST_F(DownloadRunTest, NothingIsRequestedBeforeTheNetworkIsUp) {
  networkUp_.Reset();
  const auto waiting = Task("/file/1000");
  std::thread runner([&] { RunDownload(waiting, Environment()); });
  ASSERT_TRUE(WaitUntil([&] { return networkUp_.WaiterCount() == 1; }));
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(server_->Requests().empty());
  EXPECT_TRUE(Reports().empty());
  networkUp_.Set();
  runner.join();
  EXPECT_TRUE(waiting->Progress().complete);
  EXPECT_EQ(server_->Requests(1).size(), 1u);

  // A stop while waiting ends the run without a request.
  networkUp_.Reset();
  reports_.clear();
  const auto stopped = Task("/file/1000");
  runner = std::thread([&] { RunDownload(stopped, Environment()); });
  ASSERT_TRUE(WaitUntil([&] { return networkUp_.WaiterCount() == 1; }));
  stopped->RequestStop();
  runner.join();
  ExpectEnded(*stopped);
  EXPECT_EQ(Reports().size(), 1u);
  EXPECT_FALSE(stopped->Progress().complete);
  EXPECT_EQ(server_->Requests().size(), 1u);
}

}  // namespace
}  // namespace quelt::download
