#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "core/Application.h"
#include "platform/screen/Input.h"
#include "platform/screen/Surface.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"
#include "support/ui/FakeAccounts.h"
#include "ui/shell/HeadlessUiLoop.h"
#include "ui/windows/ContactListWindow.h"

namespace quelt::test {

// Fontconfig sees only the DejaVu fonts Debian ships, so that pictures of windows come out the
// same on every machine. Call before the first font opens.
void UseShippedFontsOnly();

// The contact list window of a program folder of its own (the shipped skins, icons, languages
// and keypad maps), over fake accounts, driven by keys and painted on the calling thread.
class ContactListScene {
 public:
  struct Options {
    ui::ScreenSize screen;
    std::string config;  // lines of "Messenger.config"
    // Called with the program folder before the application loads it (to add a skin, say).
    std::function<void(const std::filesystem::path&)> prepare;
  };

  explicit ContactListScene(Options options);
  ~ContactListScene();

  bool Press(platform::Key key);
  void Press(std::initializer_list<platform::Key> keys);
  // Delivers the events posted so far to the user interface, as its thread would, those that
  // pass the hub first included.
  void Deliver();
  // Composes the screen as the loop would present it.
  std::unique_ptr<platform::Surface> Screen();

  [[nodiscard]] ui::ContactListWindow& Window() { return *window_; }
  [[nodiscard]] ui::WindowStack& Windows() { return loop_->Windows(); }
  [[nodiscard]] ui::HeadlessUiLoop& Loop() { return *loop_; }
  [[nodiscard]] core::Application& App() { return *application_; }
  [[nodiscard]] FakeAccount& Icq() { return *accounts_->icq; }
  [[nodiscard]] std::shared_ptr<FakeAccount> IcqModel() { return accounts_->icq; }
  [[nodiscard]] FakeAccount& Msn() { return *accounts_->msn; }
  [[nodiscard]] RecordingOpener& Opener() { return *opener_; }
  [[nodiscard]] const std::filesystem::path& Folder() const { return folder_.Path(); }

 private:
  TempFolder folder_;
  const ui::ScreenSize screen_;
  std::shared_ptr<core::UiDispatcher> dispatcher_ = std::make_shared<core::UiDispatcher>();
  std::unique_ptr<ui::HeadlessUiLoop> loop_;
  std::unique_ptr<core::Application> application_;
  std::shared_ptr<FakeAccounts> accounts_ = std::make_shared<FakeAccounts>();
  std::shared_ptr<RecordingOpener> opener_ = std::make_shared<RecordingOpener>();
  std::shared_ptr<ui::ContactListWindow> window_;
  std::shared_ptr<RecordingListener> marks_ = std::make_shared<RecordingListener>();
};

// A varied set of contacts: every ICQ and MSN presence, each mark, an unnamed contact, Cyrillic
// names, offline and hidden contacts and a multi-party conversation.
void AddDemoContacts(FakeAccount& icq, FakeAccount& msn);

// Compares the surface with the reference picture tests/ui/golden/<name>.png, pixel for pixel.
// With QUELT_UPDATE_GOLDEN set it writes the reference instead. On a difference it writes
// <name>.actual.png and <name>.diff.png into `outputFolder` and says where.
[[nodiscard]] ::testing::AssertionResult MatchesReference(const platform::Surface& surface, const std::string& name,
                                                          const std::filesystem::path& referenceFolder,
                                                          const std::filesystem::path& outputFolder);

}  // namespace quelt::test
