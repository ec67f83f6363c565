// The downloads window over a list read from its file: rows and their texts in every state, the
// menu's greyed items, the keys, adding a link and a whole screen against its reference.
#include <gtest/gtest.h>

#include <fstream>

#include "core/Settings.h"
#include "download/DownloadManager.h"
#include "download/DownloadStateFile.h"
#include "support/ui/ContactListScene.h"
#include "ui/toolkit/MenuWindow.h"
#include "ui/toolkit/TextPrompt.h"
#include "ui/windows/DownloadsMenu.h"
#include "ui/windows/DownloadsWindow.h"

namespace quelt::ui {
namespace {

using platform::Key;

// A finished file, one coming in with a known size, one failed, and one coming in without one.
struct DownloadsScene {
  explicit DownloadsScene(ScreenSize screen)
      : scene({.screen = screen, .config = "ICQ_ENABLED=TRUE\r\nUIN=100000\r\n"}) {
    const auto folder = scene.Folder() / "incoming";
    std::filesystem::create_directories(folder);
    const download::DownloadRecord records[] = {
        {.url = u"http://files.example/report.pdf", .partial = 52000, .totalSize = 52000, .complete = true},
        {.url = u"http://files.example/photos/beach.jpg"},
        {.url = u"http://files.example/"},
        {.url = u"http://radio.example/live/song.mp3"},
    };
    EXPECT_TRUE(download::SaveDownloadList(folder / "Downloads.xml", records));
    std::ofstream(folder / "report.pdf") << "%PDF";
    auto settings = scene.App().GetSettings()->Clone();
    settings->Update([&](core::SettingsValues& values) { values.incomingFolder = folder.u16string(); });
    manager->LoadList(settings);
    const auto tasks = manager->Tasks();
    if (tasks.size() != 4u) {
      ADD_FAILURE() << "the list has " << tasks.size() << " tasks";
      return;
    }
    (void)tasks[1]->BeginRun();
    tasks[1]->StartBody(120000);
    tasks[1]->AddReceived(30720);
    tasks[2]->SetError(u"Can't download file");
    (void)tasks[3]->BeginRun();
    tasks[3]->AddReceived(5120);
    window = DownloadsWindow::Open(scene.App(), scene.Loop(), screen, manager,
                                   {.setClipboard =
                                        [this](std::u16string_view text) {
                                          clipboard = text;
                                          return true;
                                        },
                                    .open =
                                        [this](const std::string& path) {
                                          opened.push_back(path);
                                          return true;
                                        }});
  }

  std::shared_ptr<MenuWindow> Menu() { return std::dynamic_pointer_cast<MenuWindow>(scene.Windows().Top()); }

  test::ContactListScene scene;
  std::shared_ptr<download::DownloadManager> manager = std::make_shared<download::DownloadManager>();
  std::shared_ptr<DownloadsWindow> window;
  std::u16string clipboard;
  std::vector<std::string> opened;
};

std::string Greyed(const std::vector<MenuItem>& items) {
  std::string greyed;
  for (const auto& item : items) greyed += item.separator ? '-' : item.enabled ? '+' : '.';
  return greyed;
}

TEST(DownloadsWindowTest, EachStateGreysTheMenuAndReadsAsItShould) {
  DownloadsScene s({240, 320});
  const auto tasks = s.manager->Tasks();
  const struct {
    size_t task;
    std::string menu;  // open_file copy_link - add download stop - delete delete_file
    std::u16string detail;
  } cases[] = {
      {0, "++-++.-++", u"52000 bytes"},
      {1, ".+-+.+-+.", u"30720 / 120000 bytes"},  // its file is not on disk yet
      {2, ".+-++.-+.", u"Can't download file"},
      {3, ".+-+.+-+.", u"5120 / ? bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.task);
    s.window->Select(c.task);
    EXPECT_EQ(DownloadDetail(tasks[c.task]->Progress()), c.detail);
    s.scene.Press(Key::LeftSoft);
    ASSERT_NE(s.Menu(), nullptr);
    EXPECT_EQ(Greyed(s.Menu()->Items()), c.menu);
    s.scene.Press(Key::Back);
  }
  EXPECT_EQ(tasks[2]->FileName(), u"Unknown.file");
  EXPECT_EQ(tasks[1]->FileName(), u"beach.jpg");
}

TEST(DownloadsWindowTest, KeysMoveWithoutWrappingOpenTheFileAndLeftHides) {
  DownloadsScene s({240, 320});
  s.window->Select(0);
  s.scene.Press(Key::Up);
  EXPECT_EQ(s.window->Selected(), 0u);
  s.scene.Press(Key::Action);
  ASSERT_EQ(s.opened.size(), 1u);
  EXPECT_EQ(s.opened[0], (s.scene.Folder() / "incoming" / "report.pdf").string());
  s.scene.Press({Key::Down, Key::Down, Key::Down, Key::Down});
  EXPECT_EQ(s.window->Selected(), 3u);
  s.scene.Press(Key::Action);  // nothing on disk yet: nothing opens
  EXPECT_EQ(s.opened.size(), 1u);

  s.scene.Press({Key::LeftSoft, Key::Down, Key::Action});  // copy_link
  EXPECT_EQ(s.clipboard, u"http://radio.example/live/song.mp3");
  s.scene.Press(Key::Left);
  EXPECT_FALSE(s.window->Shown());
  EXPECT_NE(s.scene.Windows().Top(), s.window);
}

TEST(DownloadsWindowTest, AddAsksForALinkAndAKnownLinkSelectsItsTask) {
  DownloadsScene s({240, 320});
  const auto add = [&](std::u16string_view link) {
    s.scene.Press({Key::LeftSoft, Key::Down, Key::Down, Key::Action});
    ASSERT_NE(std::dynamic_pointer_cast<TextPrompt>(s.scene.Windows().Top()), nullptr);
    s.scene.Windows().OnText(link);
    s.scene.Press(Key::Action);
  };
  add(u"  http://files.example/new.zip ");
  EXPECT_EQ(s.manager->Tasks().size(), 5u);
  EXPECT_EQ(s.window->Selected(), 4u);
  EXPECT_EQ(s.manager->Tasks()[4]->FileName(), u"new.zip");
  add(u"http://files.example/report.pdf");
  EXPECT_EQ(s.manager->Tasks().size(), 5u);
  EXPECT_EQ(s.window->Selected(), 0u);
  // The list on disk follows every change.
  EXPECT_EQ(download::LoadDownloadList(s.scene.Folder() / "incoming" / "Downloads.xml").size(), 5u);

  s.scene.Press({Key::LeftSoft, Key::Up, Key::Action});  // delete_file
  EXPECT_FALSE(std::filesystem::exists(s.scene.Folder() / "incoming" / "report.pdf"));
  EXPECT_EQ(s.manager->Tasks()[0]->Progress().partial, 0u);
  EXPECT_FALSE(s.manager->Tasks()[0]->Progress().complete);
  s.scene.Press({Key::LeftSoft, Key::Up, Key::Up, Key::Action});  // delete
  EXPECT_EQ(s.manager->Tasks().size(), 4u);
  EXPECT_EQ(download::LoadDownloadList(s.scene.Folder() / "incoming" / "Downloads.xml").size(), 4u);
}

TEST(DownloadsWindowTest, MatchesItsReferenceAtBothSizes) {
  for (const ScreenSize screen : {ScreenSize{240, 320}, ScreenSize{176, 220}}) {
    DownloadsScene s(screen);
    s.window->Select(1);
    const std::string name = "downloads-" + std::to_string(screen.width) + "x" + std::to_string(screen.height);
    EXPECT_TRUE(test::MatchesReference(*s.scene.Screen(), name, QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
  }
}

}  // namespace
}  // namespace quelt::ui
