// The download list in a running application: a link asks for the network, waits for it, comes
// down, and the list on disk remembers it; a known link starts nothing; names never collide.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/Application.h"
#include "core/SessionWorker.h"
#include "download/DownloadManager.h"
#include "download/DownloadStateFile.h"
#include "download/HttpTestServer.h"
#include "net/ConnectionWatcher.h"
#include "platform/TextCodec.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"

namespace quelt::download {
namespace {

using namespace std::chrono_literals;

bool WaitUntilIdle(const DownloadTask& task) {
  for (int i = 0; i < 2000; ++i) {
    if (!task.Progress().running) return true;
    std::this_thread::sleep_for(5ms);
  }
  return false;
}

TEST(DownloadManagerTest, ALinkComesDownOnceTheNetworkIsUpAndTheListKeepsIt) {
  test::TempFolder folder;
  std::string error;
  const auto server = test::HttpTestServer::Start(folder.Path(), error);
  ASSERT_NE(server, nullptr) << error;
  const auto manager = std::make_shared<DownloadManager>();
  const auto events = std::make_shared<test::RecordingListener>();
  {
    core::Application application(
        core::SettingsEnvironment{.programFolder = folder.Path(), .documentsFolder = folder.Path()}, nullptr,
        core::ApplicationServices{.downloads = manager, .connections = std::make_shared<net::ConnectionWatcher>()});
    application.AddListener(events);
    manager->Attach(application);
    application.Initialise();

    const std::u16string link = platform::Utf8ToUtf16(server->Url("/file/300000"));
    const auto added = manager->AddLink(link);
    EXPECT_TRUE(added.isNew);
    const auto task = manager->Tasks().at(added.index);
    ASSERT_TRUE(WaitUntilIdle(*task));
    EXPECT_TRUE(task->Progress().complete);
    EXPECT_EQ(test::ReadFile(folder.Path() / "300000"), test::HttpTestBody(300000));
    // Progress is shown, but not once for each of the 59 blocks. The last update is on its way
    // through the hub when the task ends.
    const auto updates = [&events] {
      const auto codes = events->Codes();
      return std::count(codes.begin(), codes.end(), core::ToInt(core::EventCode::DownloadUpdate));
    };
    for (int i = 0; i < 1000 && updates() < 2; ++i) std::this_thread::sleep_for(5ms);
    EXPECT_GE(updates(), 2);
    EXPECT_LT(updates(), 20);
    // Other settings change: the list, and any download running in it, stays.
    application.PostEvent(core::MakeEvent(core::EventCode::SettingsChanged, application.GetSettings()->Clone()));
    EXPECT_EQ(manager->Tasks().at(0), task);

    EXPECT_FALSE(manager->AddLink(link).isNew);
    const auto second = manager->AddLink(platform::Utf8ToUtf16(server->Url("/chunked/2000")));
    ASSERT_TRUE(WaitUntilIdle(*manager->Tasks().at(second.index)));
    EXPECT_EQ(server->Requests(2).size(), 2u);
    manager->StopAll();
    ASSERT_TRUE(core::WaitForWorkersToEnd(5000));
  }
  // The list on disk has both as they ended.
  const auto records = LoadDownloadList(folder.Path() / "Downloads.xml");
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].totalSize, 300000u);
  EXPECT_TRUE(records[0].complete);
  EXPECT_EQ(records[1].partial, 2000u);
  EXPECT_EQ(records[1].totalSize, 0u);
  EXPECT_TRUE(records[1].complete);
}

TEST(DownloadManagerTest, ANewTaskNeverTakesAnotherTasksOrAnExistingFile) {
  test::TempFolder folder;
  core::Settings settings(core::SettingsEnvironment{.programFolder = folder.Path(), .documentsFolder = folder.Path()});
  DownloadManager manager;
  manager.LoadList(std::shared_ptr<core::Settings>(&settings, [](core::Settings*) {}));
  test::WriteFile(folder.Path() / "notes.txt", "mine");
  // Without an application nothing starts: only the names are chosen.
  for (const char* link : {"http://a.example/notes.txt", "http://b.example/notes.txt", "http://c.example/x/notes.txt",
                           "http://d.example/archive.tar.gz", "http://e.example/archive.tar.gz"}) {
    (void)manager.AddLink(platform::Utf8ToUtf16(link));
  }
  std::vector<std::u16string> names;
  for (const auto& task : manager.Tasks()) names.push_back(task->FileName());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"notes (2).txt", u"notes (3).txt", u"notes (4).txt", u"archive.tar.gz",
                                                u"archive (2).tar.gz"}));
  EXPECT_EQ(test::ReadFile(folder.Path() / "notes.txt"), "mine");
}

}  // namespace
}  // namespace quelt::download
