#include "support/ui/ContactListScene.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "resources/LookSet.h"
#include "resources/TextResources.h"
#include "ui/toolkit/WindowStack.h"

namespace quelt::test {

void UseShippedFontsOnly() {
  // The two faces of fonts-dejavu-core the windows use, in a folder of their own: other DejaVu
  // variants installed beside them could otherwise be chosen on one machine and not another.
  static const std::string config = [] {
    const auto folder = std::filesystem::temp_directory_path() / ("quelt-test-fonts-" + std::to_string(getuid()));
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const char* face : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"}) {
      std::filesystem::create_symlink(std::filesystem::path("/usr/share/fonts/truetype/dejavu") / face, folder / face,
                                      error);
    }
    const auto file = folder / "fonts.conf";
    const auto partial = folder / ("fonts.conf." + std::to_string(getpid()));
    std::ofstream(partial) << "<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>" << folder.string()
                           << "</dir>\n  <cachedir prefix=\"xdg\">fontconfig</cachedir>\n</fontconfig>\n";
    std::filesystem::rename(partial, file, error);  // whole, even with other test processes at it
    return file.string();
  }();
  setenv("FONTCONFIG_FILE", config.c_str(), 1);
}

ContactListScene::ContactListScene(Options options) : screen_(options.screen) {
  UseShippedFontsOnly();
  // The shipped sets, each linked on its own, so that a test can add a set beside them; the skins
  // copied, since the user's sizes are written beside them.
  for (const char* kind : {"Skin", "Icons", "Language", "QSearch", "Smilies"}) {
    std::filesystem::create_directories(folder_ / kind);
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(QUELT_DATA_DIR) / kind)) {
      if (std::string_view(kind) == "Skin") {
        std::filesystem::copy(entry.path(), folder_ / kind / entry.path().filename(),
                              std::filesystem::copy_options::recursive);
      } else {
        std::filesystem::create_symlink(entry.path(), folder_ / kind / entry.path().filename());
      }
    }
  }
  WriteFile(folder_ / core::Settings::kFileName, options.config);
  if (options.prepare) options.prepare(folder_.Path());
  loop_ = std::make_unique<ui::HeadlessUiLoop>(*dispatcher_, screen_);
  application_ = std::make_unique<core::Application>(
      core::SettingsEnvironment{
          .programFolder = folder_.Path(), .documentsFolder = folder_.Path(), .screenWidth = screen_.width},
      dispatcher_,
      core::ApplicationServices{.look = std::make_shared<resources::LookSet>(),
                                .language = std::make_shared<resources::TextResources>()});
  application_->Initialise();
  window_ = std::make_shared<ui::ContactListWindow>(*application_, *loop_, screen_, accounts_, opener_);
  dispatcher_->AddUiListener(window_);
  dispatcher_->AddUiListener(marks_);
  loop_->Windows().Push(window_);
  Deliver();
}

ContactListScene::~ContactListScene() {
  dispatcher_->RemoveUiListener(window_.get());
  while (const auto top = loop_->Windows().Top()) loop_->Windows().Remove(top.get());
}

bool ContactListScene::Press(platform::Key key) { return loop_->Windows().OnKey(key); }

void ContactListScene::Press(std::initializer_list<platform::Key> keys) {
  for (const auto key : keys) Press(key);
}

void ContactListScene::Deliver() {
  // A mark posted now reaches the user interface after everything posted before it.
  const size_t seen = marks_->Count(core::EventCode::OtherMarker);
  application_->PostEvent(core::MakeEvent(core::EventCode::OtherMarker));
  for (int tries = 0; tries < 5000 && marks_->Count(core::EventCode::OtherMarker) == seen; ++tries) {
    dispatcher_->Drain();
    if (marks_->Count(core::EventCode::OtherMarker) == seen) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

std::unique_ptr<platform::Surface> ContactListScene::Screen() {
  auto surface = platform::Surface::Create(screen_.width, screen_.height);
  loop_->Windows().Compose(*surface);
  return surface;
}

void AddDemoContacts(FakeAccount& icq, FakeAccount& msn) {
  using ui::ContactEntry;
  icq.groups = {{1, u"Friends"}, {2, u"Work"}};
  icq.Add({.id = u"100001", .displayName = u"Alice Cooper", .presence = 0, .unread = true, .groupId = 1});
  icq.Add({.id = u"100002", .displayName = u"Boris", .presence = 1, .groupId = 1});
  icq.Add({.id = u"100003", .displayName = u"Carmen", .presence = 0x13, .typing = true, .groupId = 2});
  icq.Add({.id = u"100004", .displayName = u"Dmitri Ivanov", .presence = 0x11, .groupId = 2});
  icq.Add({.id = u"100005", .displayName = u"Елена", .presence = 0x20, .groupId = 1});
  icq.Add({.id = u"100006", .displayName = u"Frank", .presence = -1, .asksAuthorization = true});
  icq.Add({.id = u"100007", .displayName = u"Gina", .presence = 5, .openChat = true, .groupId = 1});
  icq.Add({.id = u"123456", .displayName = u"", .presence = 0x100});
  icq.Add({.id = u"100009", .displayName = u"Hector", .presence = -1, .groupId = 2});
  icq.Add({.id = u"100010", .displayName = u"Ivy", .presence = 0, .options = {.showStatus = false}, .groupId = 2});
  msn.Add({.id = u"kate@example.com", .displayName = u"Kate", .presence = 1, .openChat = true, .onServerList = true});
  msn.Add({.id = u"leo@example.com", .displayName = u"Leo", .presence = 2, .onServerList = true});
  msn.Add({.id = u"mia@example.com", .displayName = u"Mia", .presence = 4, .onServerList = true});
  msn.Add({.id = u"nick@example.com", .displayName = u"Nick", .presence = 5, .onServerList = true});
  msn.Add({.id = u"olga@example.com", .displayName = u"Ольга", .presence = 6, .onServerList = true});
  msn.Add({.id = u"pete@example.com", .displayName = u"Pete", .presence = 7, .onServerList = true, .blocked = true});
  msn.Add({.id = u"quinn@example.com", .displayName = u"Quinn", .presence = -1, .onServerList = true});
  msn.conversations.push_back({.id = u"chat-1",
                               .participants = {{.id = u"kate@example.com", .displayName = u"Kate"},
                                                {.id = u"leo@example.com", .displayName = u"Leo"}},
                               .unread = true});
}

::testing::AssertionResult MatchesReference(const platform::Surface& surface, const std::string& name,
                                            const std::filesystem::path& referenceFolder,
                                            const std::filesystem::path& outputFolder) {
  const auto reference = referenceFolder / (name + ".png");
  if (std::getenv("QUELT_UPDATE_GOLDEN") != nullptr) {
    if (!surface.SavePng(reference)) return ::testing::AssertionFailure() << "cannot write " << reference;
    return ::testing::AssertionSuccess();
  }
  const auto expected = platform::Surface::LoadPng(reference);
  if (!expected) return ::testing::AssertionFailure() << "no reference picture " << reference;
  const int width = surface.Width();
  const int height = surface.Height();
  auto diff = platform::Surface::Create(width, height);
  int differing = 0;
  if (expected->Width() != width || expected->Height() != height) {
    differing = width * height;
  } else {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const platform::Color actual = surface.PixelAt(x, y);
        const bool same = actual == expected->PixelAt(x, y);
        differing += same ? 0 : 1;
        // Differences in red over a faded copy of the picture.
        const platform::Color faded{static_cast<uint8_t>(160 + actual.r / 3), static_cast<uint8_t>(160 + actual.g / 3),
                                    static_cast<uint8_t>(160 + actual.b / 3)};
        diff->Fill({x, y, 1, 1}, same ? faded : platform::Color{255, 0, 0});
      }
    }
  }
  if (differing == 0) return ::testing::AssertionSuccess();
  std::filesystem::create_directories(outputFolder);
  const auto actualFile = outputFolder / (name + ".actual.png");
  const auto diffFile = outputFolder / (name + ".diff.png");
  (void)surface.SavePng(actualFile);
  (void)diff->SavePng(diffFile);
  return ::testing::AssertionFailure() << differing << " pixels differ from " << reference << "; see " << actualFile
                                       << " and " << diffFile;
}

}  // namespace quelt::test
