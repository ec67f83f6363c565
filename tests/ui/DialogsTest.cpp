// The dialogs driven by keys as on the handset: what each writes into "Messenger.config" (byte
// for byte against the file before with the expected lines changed), the events it posts, and
// the screens against their references.
#include <gtest/gtest.h>

#include "core/Settings.h"
#include "icq/IcqEvents.h"
#include "resources/LookSet.h"
#include "resources/Skin.h"
#include "support/RecordingListener.h"
#include "support/TempFolder.h"
#include "support/ui/ContactListScene.h"
#include "ui/dialogs/Dialogs.h"
#include "ui/toolkit/FolderChooser.h"
#include "ui/toolkit/FormWindow.h"
#include "ui/toolkit/MessageBox.h"
#include "ui/windows/UserInfoWindow.h"

namespace quelt::ui {
namespace {

using core::EventCode;
using platform::Key;

using Change = std::pair<std::string, std::string>;  // key, new value

// The file with each key's line given its new value.
std::string Changed(std::string file, const std::vector<Change>& changes) {
  for (const auto& [key, value] : changes) {
    const size_t at = ("\n" + file).find("\n" + key + "=");
    if (at == std::string::npos) {
      ADD_FAILURE() << key << " is not in the file";
      continue;
    }
    const size_t start = at + key.size() + 1;
    file.replace(start, file.find('\r', start) - start, value);
  }
  return file;
}

struct DialogScene {
  explicit DialogScene(const std::string& config, ScreenSize screen = {240, 320})
      : scene({.screen = screen, .config = "ICQ_ENABLED=TRUE\r\nUIN=100000\r\nMSN_ENABLED=TRUE\r\n" + config}) {
    EXPECT_TRUE(scene.App().GetSettings()->Save());
    before = test::ReadFile(File());
    scene.App().AddListener(events);
  }
  ~DialogScene() { scene.App().RemoveListener(events.get()); }

  [[nodiscard]] std::filesystem::path File() { return scene.App().GetSettings()->FilePath(); }
  // Presses the keys, typing `text` where a key is None.
  void Drive(const std::vector<Key>& keys, const std::u16string& text = u"") {
    for (const Key key : keys) {
      if (key == Key::None) {
        scene.Windows().OnText(text);
      } else {
        scene.Press(key);
      }
    }
    scene.Deliver();
  }
  [[nodiscard]] int Count(EventCode code) const {
    const auto codes = events->Codes();
    return int(std::count(codes.begin(), codes.end(), int32_t(code)));
  }
  [[nodiscard]] std::shared_ptr<MessageBox> Box() {
    return std::dynamic_pointer_cast<MessageBox>(scene.Windows().Top());
  }

  test::ContactListScene scene;
  std::string before;
  std::shared_ptr<test::RecordingListener> events = std::make_shared<test::RecordingListener>();
};

constexpr Key kType = Key::None;
const std::vector<Key> kDown4 = {Key::Down, Key::Down, Key::Down, Key::Down};

std::vector<Key> Keys(std::initializer_list<std::vector<Key>> parts) {
  std::vector<Key> keys;
  for (const auto& part : parts) keys.insert(keys.end(), part.begin(), part.end());
  return keys;
}

TEST(DialogsTest, TheSettingsDialogWritesWhatWasChosen) {
  const struct {
    const char* name;
    std::string config;
    std::vector<Key> keys;
    std::u16string typed;
    std::vector<Change> changes;  // none: the file is untouched and nothing is posted
    bool reconnect;
  } cases[] = {
      {"sound alone", "", {Key::Down, Key::Action, Key::RightSoft}, u"", {{"SOUND", "False"}}, false},
      {"typing notices ask for a reconnection",
       "",
       Keys({kDown4, kDown4, {Key::Action, Key::RightSoft}}),
       u"",
       {{"TYPING_NOTIFICATIONS", "False"}},
       true},
      {"economy mode",
       "ICQ_SUPPORT_CH2=TRUE\r\n",
       {Key::LeftSoft, Key::Digit2, Key::RightSoft},
       u"",
       {{"SENDING_ACK", "False"},
        {"TYPING_NOTIFICATIONS", "False"},
        {"ICQ_SUPPORT_CH2", "False"},
        {"ICQ_STARTUP_CHECKOUT", "False"},
        {"ICQ_SUPPORT_UNICODE_CAP", "False"}},
       true},
      {"advanced settings",
       "",
       {Key::LeftSoft, Key::Digit3, Key::Action, Key::Down, Key::Down, Key::Action, Key::RightSoft, Key::RightSoft},
       u"",
       {{"ICQ_SUPPORT_CH2", "True"}, {"ICQ_SUPPORT_UNICODE_CAP", "False"}},
       false},
      {"vibration count and code page",
       "",
       Keys({{Key::Down, Key::Down, Key::Down, Key::Left, Key::Down, Key::Backspace, kType, Key::RightSoft}}),
       u"1251",
       {{"VIBRO_COUNT", "4"}, {"CODE_PAGE", "1251"}},
       false},
      {"a code page that is not a number",
       "CODE_PAGE=1251\r\n",
       Keys({kDown4, {Key::Backspace, Key::Backspace, Key::Backspace, Key::Backspace, kType, Key::RightSoft}}),
       u"12a",
       {{"CODE_PAGE", "0"}},
       false},
      {"back", "", {Key::Down, Key::Action, Key::Back}, u"", {}, false},
      {"cancel in the menu", "", {Key::Action, Key::LeftSoft, Key::Digit4}, u"", {}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogScene s(c.config);
    OpenSettingsDialog(s.scene.App(), s.scene.Windows(), {240, 320});
    s.Drive(c.keys, c.typed);
    EXPECT_EQ(test::ReadFile(s.File()), c.changes.empty() ? s.before : Changed(s.before, c.changes));
    EXPECT_EQ(s.Count(EventCode::SettingsChanged), c.changes.empty() ? 0 : 1);
    EXPECT_EQ(s.Box() != nullptr, c.reconnect);
    EXPECT_EQ(std::dynamic_pointer_cast<FormWindow>(s.scene.Windows().Top()), nullptr) << "the dialog stayed open";
  }
}

TEST(DialogsTest, TheAccountDialogRecreatesOnlyTheChangedServicesSessions) {
  const std::vector<Key> netSetup = {Key::LeftSoft, Key::Digit1};
  const struct {
    const char* name;
    std::vector<Key> keys;
    std::u16string typed;
    std::vector<Change> changes;
    int icqEvents, msnEvents;
    bool refused;
  } cases[] = {
      {"unchanged", {Key::RightSoft}, u"", {}, 0, 0, false},
      {"ICQ account", {Key::Down, Key::Backspace, kType, Key::RightSoft}, u"7", {{"UIN", "100007"}}, 1, 0, false},
      {"MSN switched on with an account",
       {Key::Down, Key::Down, Key::Down, Key::Action, Key::Down, kType, Key::RightSoft},
       u"me@example.com",
       {{"MSN_ENABLED", "True"}, {"MSN_EMAIL", "me@example.com"}},
       0,
       1,
       false},
      {"ICQ switched off", {Key::Action, Key::RightSoft}, u"", {{"ICQ_ENABLED", "False"}}, 1, 0, false},
      {"login servers",
       Keys({netSetup, {Key::Backspace, kType, Key::RightSoft, Key::RightSoft}}),
       u"3",
       {{"LOGINHOSTS", "login.icq.com:5193"}},
       1,
       0,
       false},
      {"a host list that cannot be read", Keys({netSetup, {kType, Key::RightSoft}}), u",:99999", {}, 0, 0, true},
      {"back", {Key::Down, kType, Key::Back}, u"9", {}, 0, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DialogScene s("LOGINHOSTS=login.icq.com:5190\r\n");
    OpenAccountDialog(s.scene.App(), s.scene.Windows(), {240, 320});
    s.Drive(c.keys, c.typed);
    EXPECT_EQ(test::ReadFile(s.File()), c.changes.empty() ? s.before : Changed(s.before, c.changes));
    EXPECT_EQ(s.Count(EventCode::SettingsChanged), c.changes.empty() ? 0 : 1);
    EXPECT_EQ(s.Count(EventCode::IcqAccountChanged), c.icqEvents);
    EXPECT_EQ(s.Count(EventCode::MsnAccountChanged), c.msnEvents);
    // A changed service that is on signs in at once.
    EXPECT_EQ(s.Count(EventCode::SetIcqStatus), c.icqEvents && c.changes[0].second != "False" ? 1 : 0);
    EXPECT_EQ(s.Count(EventCode::SetMsnStatus), c.msnEvents);
    EXPECT_EQ(s.Box() != nullptr, c.refused);
  }
}

TEST(DialogsTest, TheKeyAndLanguageDialogsStoreTheirChoices) {
  {
    DialogScene s("");
    OpenKeyConfigDialog(s.scene.App(), s.scene.Windows(), {240, 320});
    // Quick search steps round to none; key 0 goes back from quit to none; key 9 stays.
    s.Drive({Key::Right, Key::Down, Key::Left, Key::RightSoft});
    EXPECT_EQ(test::ReadFile(s.File()), Changed(s.before, {{"LSOFTKEY", "NONE"}, {"KEY0", "NONE"}}));
  }
  DialogScene s("");
  OpenLanguageDialog(s.scene.App(), s.scene.Windows(), {240, 320});
  // Down chooses in a list and, past its last row, moves on to the next list.
  s.Drive({Key::Down, Key::Down, Key::Down, Key::RightSoft});
  EXPECT_EQ(test::ReadFile(s.File()),
            Changed(s.before, {{"LANG_SOURCE", "Russian.Lang.xml"}, {"QSEARCH_SOURCE", "Russian.QS.xml"}}));
  EXPECT_EQ(s.scene.App().Text("language"), u"Язык") << "the new language is not loaded";
}

TEST(DialogsTest, TheFoldersDialogBrowsesAndRefusesAFolderThatIsNot) {
  DialogScene s("");
  const auto chosen = s.scene.Folder() / "zz" / "history";
  std::filesystem::create_directories(chosen);
  OpenFoldersDialog(s.scene.App(), s.scene.Windows(), {240, 320});
  s.Drive({Key::LeftSoft, Key::Digit1});  // select_folder for the history folder
  auto chooser = std::dynamic_pointer_cast<FolderChooser>(s.scene.Windows().Top());
  ASSERT_NE(chooser, nullptr);
  const auto& entries = chooser->Entries();
  const auto zz = std::find(entries.begin(), entries.end(), s.scene.Folder() / "zz");
  ASSERT_NE(zz, entries.end());
  for (auto at = entries.begin(); at != zz; ++at) s.scene.Press(Key::Down);
  // Into zz, down to "history", take it; then OK.
  s.Drive({Key::Right, Key::Down, Key::RightSoft, Key::RightSoft});
  EXPECT_EQ(test::ReadFile(s.File()), Changed(s.before, {{"HISTORY_FOLDER", chosen.string()}}));

  DialogScene typed("");
  OpenFoldersDialog(typed.scene.App(), typed.scene.Windows(), {240, 320});
  typed.Drive({Key::Down, kType, Key::RightSoft}, u"-gone");
  EXPECT_NE(typed.Box(), nullptr);
  EXPECT_EQ(test::ReadFile(typed.File()), typed.before);
}

TEST(DialogsTest, TheUserInformationShowsTheRepliesAndAnErrorBox) {
  icq::IcqUserInfo info{.nickname = u"Anna",
                        .firstName = u"Anna",
                        .lastName = u"Berg",
                        .email = u"anna@example.com",
                        .city = u"Tartu",
                        .state = u"Tartumaa",
                        .phone = u"+372 555 0101",
                        .cellular = u"+372 555 0102",
                        .age = 31,
                        .gender = 1,
                        .birthYear = 1995,
                        .birthMonth = 3,
                        .birthDay = 7};
  for (const ScreenSize screen : {ScreenSize{240, 320}, ScreenSize{176, 220}}) {
    DialogScene s("", screen);
    s.scene.Icq().infoRequest = 7;
    OpenUserInfo(s.scene.App(), s.scene.Windows(), screen, s.scene.IcqModel(), u"100201");
    // A reply to another request changes nothing; this one fills the window.
    s.scene.App().PostEvent(core::MakeEvent(EventCode::IcqUserInfoReceived, icq::IcqUserInfoEvent{.requestId = 8}));
    s.scene.App().PostEvent(core::MakeEvent(EventCode::IcqUserInfoReceived, icq::IcqUserInfoEvent{7, info}));
    s.Drive(Keys({kDown4, kDown4, {Key::Down}}));  // to the city, past the phones and the birthday
    const std::string size = std::to_string(screen.width) + "x" + std::to_string(screen.height);
    EXPECT_TRUE(test::MatchesReference(*s.scene.Screen(), "user-info-" + size, QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
  }
  DialogScene s("");
  s.scene.Icq().infoRequest = 9;
  OpenUserInfo(s.scene.App(), s.scene.Windows(), {240, 320}, s.scene.IcqModel(), u"100201");
  s.scene.App().PostEvent(core::MakeEvent(EventCode::IcqError, core::ErrorPayload{0x0015, 0x0001}));
  s.Drive({});
  ASSERT_NE(s.Box(), nullptr);
  EXPECT_EQ(s.Box()->Caption(), u"ICQ Error");
}

TEST(DialogsTest, TheSkinDialogKeepsTheSizesBesideTheSkinAndRefusesNonsense) {
  DialogScene s("");
  const auto looks = std::dynamic_pointer_cast<resources::LookSet>(s.scene.App().Services().look);
  ASSERT_NE(looks, nullptr);
  OpenSkinDialog(s.scene.App(), s.scene.Windows(), {240, 320});
  s.Drive(Keys({kDown4, {Key::Down, Key::Down, kType, Key::RightSoft}}), u"x");  // the row height
  EXPECT_NE(s.Box(), nullptr);
  EXPECT_EQ(looks->CurrentSkin()->Override().rowHeight, 0);
  s.Drive({Key::Action, Key::Backspace, kType, Key::RightSoft}, u"22");
  EXPECT_EQ(s.Box(), nullptr) << "the sizes were not saved";
  EXPECT_EQ(looks->CurrentSkin()->Override().rowHeight, 22);
  EXPECT_EQ(looks->CurrentSkin()->Effective().contactList.rowHeight, 22);
  EXPECT_EQ(test::ReadFile(s.File()), s.before) << "the sets chosen were the current ones";
}

TEST(DialogsTest, TheContactOptionsAreStoredByOkOnly) {
  // The contact's own code page shows chosen, and Default stands for the program's (-1).
  struct Case {
    const char16_t* id;
    std::vector<Key> keys;
    std::vector<std::string> calls;
    ContactOptions stored;
  };
  const std::vector<Key> change = {Key::Action, Key::Down, Key::Right, Key::Down, Key::Action};
  const std::vector<Case> cases = {
      {u"100005", Keys({change, {Key::RightSoft}}), {"options 100005"}, {false, 1252, true}},
      {u"100002", {Key::RightSoft}, {"options 100002"}, {true, -1, false}},
      {u"100005", Keys({change, {Key::Back}}), {}, {true, 1251, false}},
  };
  for (const Case& c : cases) {
    DialogScene s("");
    auto& icq = s.scene.Icq();
    icq.Add({.id = u"100005", .displayName = u"Елена", .options = {.codePage = 1251}});
    icq.Add({.id = u"100002", .displayName = u"Boris"});
    OpenContactOptions(s.scene.App(), s.scene.Windows(), {240, 320}, s.scene.IcqModel(), c.id);
    s.Drive(c.keys);
    EXPECT_EQ(icq.calls, c.calls) << platform::Utf16ToUtf8(c.id);
    const auto contact =
        std::find_if(icq.contacts.begin(), icq.contacts.end(), [&](const auto& e) { return e.id == c.id; });
    ASSERT_NE(contact, icq.contacts.end());
    EXPECT_EQ(contact->options, c.stored);
    EXPECT_EQ(std::dynamic_pointer_cast<FormWindow>(s.scene.Windows().Top()), nullptr) << "the dialog is still open";
  }
}

TEST(DialogsTest, MatchReferencesAtBothSizes) {
  for (const ScreenSize screen : {ScreenSize{240, 320}, ScreenSize{176, 220}}) {
    const std::string size = std::to_string(screen.width) + "x" + std::to_string(screen.height);
    {
      DialogScene s("PASSWORD=secret\r\nMSN_EMAIL=alice@example.com\r\n", screen);
      OpenAccountDialog(s.scene.App(), s.scene.Windows(), screen);
      s.Drive({Key::Down, Key::Down});
      EXPECT_TRUE(
          test::MatchesReference(*s.scene.Screen(), "account-dialog-" + size, QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
    }
    {
      DialogScene s("", screen);
      s.scene.Icq().Add({.id = u"100005", .displayName = u"Елена", .options = {.codePage = 1251}});
      OpenContactOptions(s.scene.App(), s.scene.Windows(), screen, s.scene.IcqModel(), u"100005");
      s.Drive({Key::Down});
      EXPECT_TRUE(
          test::MatchesReference(*s.scene.Screen(), "contact-options-" + size, QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
    }
    DialogScene s("SOUND=FALSE\r\n", screen);
    OpenSettingsDialog(s.scene.App(), s.scene.Windows(), screen);
    s.Drive({Key::Down, Key::Down, Key::Down});
    EXPECT_TRUE(
        test::MatchesReference(*s.scene.Screen(), "settings-dialog-" + size, QUELT_GOLDEN_DIR, QUELT_GOLDEN_OUT));
  }
}

}  // namespace
}  // namespace quelt::ui
