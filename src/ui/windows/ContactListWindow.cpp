#include "ui/windows/ContactListWindow.h"

#include <algorithm>

#include "core/Application.h"
#include "core/SingleInstance.h"
#include "platform/Log.h"
#include "platform/screen/Image.h"
#include "ui/shell/QuitSequence.h"
#include "ui/shell/UiLoop.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/MenuWindow.h"
#include "ui/toolkit/MessageBox.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/ScrollBar.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/WindowStack.h"
#include "ui/windows/ApplicationLooks.h"
#include "ui/windows/ContactListPaint.h"

namespace quelt::ui {
namespace {

using core::EventCode;
using core::KeyAction;
using platform::Key;
using platform::Rect;

std::optional<int> DigitOf(Key key) {
  if (key < Key::Digit0 || key > Key::Digit9) return std::nullopt;
  return static_cast<int>(key) - static_cast<int>(Key::Digit0);
}

bool SameRules(const RowRules& a, const RowRules& b) {
  return a.header == b.header && a.showOffline == b.showOffline && a.contactHeight == b.contactHeight &&
         a.conversationHeight == b.conversationHeight && a.headerHeight == b.headerHeight;
}

// An opaque image at least as large as the area hides it, wherever it is aligned.
bool Covers(const resources::ImagePtr& image, const Rect& area) {
  return image && image->DrawMode() == platform::Image::Mode::Opaque && image->Decode() &&
         image->Width() >= area.width && image->Height() >= area.height;
}

}  // namespace

ContactListWindow::ContactListWindow(core::Application& application, UiLoop& loop, ScreenSize screen,
                                     std::shared_ptr<AccountSource> accounts, std::shared_ptr<WindowOpener> opener)
    : application_(application),
      loop_(loop),
      screen_(screen),
      accounts_(std::move(accounts)),
      opener_(std::move(opener)),
      looks_(LooksOf(application)),
      texts_(std::dynamic_pointer_cast<const resources::TextResources>(application.Services().language)),
      status_(application) {}

core::SettingsValues ContactListWindow::Settings() const { return application_.GetSettings()->Values(); }

ContactListWindow::Layout ContactListWindow::LayOut(const resources::SkinData& skin) const {
  Layout layout;
  layout.softKeys = SoftKeyBar::Area(screen_.width, screen_.height);
  const auto panes = resources::VisiblePanes(skin);
  const auto heightOf = [&skin](resources::Pane pane) {
    switch (pane) {
      case resources::Pane::Status: return std::max(0, skin.status.height);
      case resources::Pane::Toolbar: return std::max(0, skin.toolbar.height);
      case resources::Pane::ContactList: break;
    }
    return 0;
  };
  int fixed = 0;
  for (const auto pane : panes) fixed += heightOf(pane);
  const int client = layout.softKeys.y;
  int y = 0;
  for (const auto pane : panes) {
    const int height = pane == resources::Pane::ContactList ? std::max(0, client - fixed) : heightOf(pane);
    const Rect area{0, y, screen_.width, std::min(height, std::max(0, client - y))};
    y += area.height;
    switch (pane) {
      case resources::Pane::ContactList: layout.list = area; break;
      case resources::Pane::Status: layout.status = area; break;
      case resources::Pane::Toolbar: layout.toolbar = area; break;
    }
  }
  return layout;
}

void ContactListWindow::Refresh() {
  const auto skin = looks_->CurrentSkin();
  const auto& values = skin->Effective();
  viewHeight_ = LayOut(values).list.height;
  const core::SettingsValues settings = Settings();

  std::vector<ContactEntry> contacts;
  std::vector<ConversationEntry> conversations;
  for (const auto& account : accounts_->Accounts()) {
    auto more = account->Contacts();
    contacts.insert(contacts.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    auto talks = account->Conversations();
    conversations.insert(conversations.end(), std::make_move_iterator(talks.begin()),
                         std::make_move_iterator(talks.end()));
  }
  RowRules rules{.header = quickSearch_ || !notice_.empty(),
                 .showOffline = settings.showOffline,
                 .contactHeight = values.contactList.rowHeight,
                 .conversationHeight = values.contactList.rowHeight,
                 .headerHeight = values.contactList.rowHeight};
  const std::u16string keys = quickSearch_ ? quickSearchKeys_ : std::u16string();
  if (!rowsValid_ || !SameRules(rules, lastRules_) || keys != lastKeys_ || contacts != lastContacts_ ||
      conversations != lastConversations_) {
    std::optional<resources::TypedKeys> typed;
    if (quickSearch_) {
      const resources::QuickSearchMap& keypad = texts_ ? texts_->KeypadMap() : builtInKeypad_;
      typed.emplace(keypad.EntriesForKeys(quickSearchKeys_));
      rules.quickSearch = &*typed;
    }
    rows_ = BuildRows(contacts, conversations, rules, collator_);
    rules.quickSearch = nullptr;
    lastRules_ = rules;
    lastKeys_ = keys;
    lastContacts_ = std::move(contacts);
    lastConversations_ = std::move(conversations);
    rowsValid_ = true;
  }

  std::optional<size_t> selected;
  if (!selectionKey_.empty()) {
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [this](const ContactRow& row) { return row.key == selectionKey_; });
    if (found != rows_.end()) {
      selected = static_cast<size_t>(found - rows_.begin());
    } else {
      selectionKey_.clear();
    }
  }
  for (; !moves_.empty(); moves_.pop_front()) {
    selected = ui::Navigate(rows_, selected, topRow_, viewHeight_, moves_.front(), settings.scrolling);
  }
  if (selected) selectionKey_ = rows_[*selected].key;
  topRow_ = ScrollToShow(rows_, topRow_, selected, viewHeight_);
}

const std::vector<ContactRow>& ContactListWindow::Rows() {
  Refresh();
  return rows_;
}

const std::u16string& ContactListWindow::SelectionKey() {
  Refresh();
  return selectionKey_;
}

size_t ContactListWindow::TopRow() {
  Refresh();
  return topRow_;
}

void ContactListWindow::Paint(Painter& painter) {
  Refresh();
  const ContactListLook look = ContactListLook::Current(*looks_);
  const auto& values = look.Values();
  const Layout layout = LayOut(values);
  const core::SettingsValues settings = Settings();

  const Rect client{0, 0, screen_.width, layout.softKeys.y};
  if (!Covers(values.main.backgroundImage, client)) {
    painter.Fill(client, values.main.background.value_or(DefaultLook().background));
  }
  PaintAligned(painter, values.main.backgroundImage, client, values.main.backgroundAlign);

  if (layout.list.height > 0) {
    Painter::Scope pane(painter, layout.list);
    const Rect area{0, 0, layout.list.width, layout.list.height};
    const auto& list = values.contactList;
    if (list.background && !Covers(list.backgroundImage, area)) painter.Fill(area, *list.background);
    PaintAligned(painter, list.backgroundImage, area, list.backgroundAlign);

    const int content = rows_.empty() ? 0 : rows_.back().top + rows_.back().height;
    const bool scrolls = content > area.height;
    const int barWidth = scrolls ? DefaultLook().scrollBarWidth : 0;
    const int offset = rows_.empty() ? 0 : rows_[topRow_].top;
    const std::u16string title(core::kMainWindowTitle);
    for (size_t i = topRow_; i < rows_.size(); ++i) {
      const ContactRow& row = rows_[i];
      const int y = row.top - offset;
      if (y >= area.height) break;
      PaintRow(painter, look, row, {0, y, area.width - barWidth, row.height},
               RowLook{.selected = row.key == selectionKey_,
                       .quickSearch = quickSearch_,
                       .typedKeys = quickSearchKeys_,
                       .title = title});
    }
    if (scrolls)
      PaintScrollBar(painter, {area.width - barWidth, 0, barWidth, area.height}, content, area.height, offset);
  }
  if (layout.status.height > 0) {
    const std::u16string noAccount = application_.Text("no_active_account");
    PaintStatusPane(painter, look, layout.status,
                    StatusLine{.icqEnabled = settings.icqEnabled,
                               .msnEnabled = settings.msnEnabled,
                               .icq = status_.Icq(),
                               .msn = status_.Msn(),
                               .noAccount = noAccount});
  }
  if (layout.toolbar.height > 0) PaintToolbar(painter, look, layout.toolbar, settings);
  SoftKeyBar::Paint(painter, layout.softKeys, LeftSoftKeyLabel(), application_.Text("menu"));
}

std::u16string ContactListWindow::LeftSoftKeyLabel() const {
  const KeyAction action = Settings().leftSoftKey;
  if (action == KeyAction::ShowOffline)
    return application_.Text(Settings().showOffline ? "hide_offline" : "show_offline");
  const std::string_view key = core::KeyActionLanguageKey(action);
  return application_.Text(key.empty() ? "quit" : key);
}

std::optional<platform::Key> ContactListWindow::KeyForClick(int x, int y) const {
  return SoftKeyBar::KeyAt(SoftKeyBar::Area(screen_.width, screen_.height), x, y);
}

void ContactListWindow::OnClick(int x, int y) {
  if (const auto key = KeyForClick(x, y)) {
    OnKey(*key);
    return;
  }
  Refresh();
  const Rect list = LayOut(ContactListLook::Current(*looks_).Values()).list;
  if (rows_.empty() || x < list.x || x >= list.x + list.width || y < list.y || y >= list.y + list.height) return;
  const int at = y - list.y + rows_[topRow_].top;
  for (size_t i = topRow_; i < rows_.size(); ++i) {
    if (at < rows_[i].top || at >= rows_[i].top + rows_[i].height) continue;
    if (rows_[i].key == selectionKey_) {
      OnKey(Key::Action);
    } else {
      selectionKey_ = rows_[i].key;
      Invalidate();
    }
    return;
  }
}

bool ContactListWindow::OnKey(Key key) {
  const core::SettingsValues settings = Settings();
  if (const auto digit = DigitOf(key)) {
    if (quickSearch_) {
      TypeQuickSearchKey(static_cast<char16_t>(u'0' + *digit));
    } else {
      RunAction(settings.keys[static_cast<size_t>(*digit)]);
    }
    return true;
  }
  switch (key) {
    case Key::Star:
    case Key::Hash:
      if (!quickSearch_) return false;
      TypeQuickSearchKey(key == Key::Star ? u'*' : u'#');
      return true;
    case Key::Back:
    case Key::Backspace:
      // Back belongs to the list only while quick search is on.
      if (!quickSearch_) return false;
      if (quickSearchKeys_.empty()) {
        EndQuickSearch();
      } else {
        DropQuickSearchKey();
      }
      return true;
    case Key::Right:
      if (!settings.jrightChat) {
        Navigate(Navigation::PageDown);
        return true;
      }
      [[fallthrough]];
    case Key::Action:
      Refresh();
      if (quickSearch_) {
        if (selectionKey_ == kHeaderKey) return true;
        EndQuickSearch();
      }
      OpenChatForSelection();
      return true;
    case Key::Left: Navigate(Navigation::PageUp); return true;
    case Key::Up: Navigate(Navigation::Up); return true;
    case Key::Down: Navigate(Navigation::Down); return true;
    case Key::LeftSoft: RunAction(settings.leftSoftKey); return true;
    case Key::RightSoft: OpenMenu(); return true;
    default: return false;
  }
}

void ContactListWindow::Navigate(Navigation move) {
  moves_.push_back(move);
  Invalidate();
}

void ContactListWindow::RunAction(KeyAction action) {
  switch (action) {
    case KeyAction::None: break;
    case KeyAction::Quit: AskToQuit(); break;
    case KeyAction::ShowOffline: Toggle(&core::SettingsValues::showOffline, true); break;
    case KeyAction::Sound: Toggle(&core::SettingsValues::sound, false); break;
    case KeyAction::Vibro: Toggle(&core::SettingsValues::vibro, false); break;
    case KeyAction::Scrolling: Toggle(&core::SettingsValues::scrolling, false); break;
    case KeyAction::Chat:
      Refresh();
      OpenChatForSelection();
      break;
    case KeyAction::Info: RunCommand(static_cast<int>(ContactCommand::Info)); break;
    case KeyAction::Find: RunCommand(static_cast<int>(ContactCommand::FindIcqUser)); break;
    case KeyAction::Settings: RunCommand(static_cast<int>(ContactCommand::Settings)); break;
    case KeyAction::QuickSearch:
      if (quickSearch_) {
        EndQuickSearch();
      } else {
        StartQuickSearch();
      }
      break;
  }
}

void ContactListWindow::Toggle(bool core::SettingsValues::*value, bool listChanges) {
  const auto settings = application_.GetSettings();
  settings->Update([value](core::SettingsValues& values) { values.*value = !(values.*value); });
  if (!settings->Save()) platform::Log("could not save the settings");
  application_.PostEvent(core::MakeEvent(EventCode::SettingsChanged, settings));
  if (listChanges) application_.PostEvent(core::MakeEvent(EventCode::ViewRefresh));
  Invalidate();
}

void ContactListWindow::StartQuickSearch() {
  quickSearch_ = true;
  quickSearchKeys_.clear();
  selectionKey_ = kHeaderKey;
  Invalidate();
}

void ContactListWindow::EndQuickSearch() {
  quickSearch_ = false;
  if (selectionKey_ == kHeaderKey) selectionKey_.clear();
  Invalidate();
}

void ContactListWindow::TypeQuickSearchKey(char16_t key) {
  quickSearchKeys_ += key;
  selectionKey_ = kHeaderKey;
  Invalidate();
}

void ContactListWindow::DropQuickSearchKey() {
  quickSearchKeys_.pop_back();
  selectionKey_ = kHeaderKey;
  Invalidate();
}

std::shared_ptr<AccountModel> ContactListWindow::Account(Protocol service) {
  for (auto& account : accounts_->Accounts()) {
    if (account->Service() == service) return account;
  }
  return nullptr;
}

std::optional<ContactListWindow::Selected> ContactListWindow::FindSelected() {
  if (selectionKey_.empty() || selectionKey_ == kHeaderKey) return std::nullopt;
  const auto contactIn = [this](const std::shared_ptr<AccountModel>& account) -> std::optional<Selected> {
    if (!account) return std::nullopt;
    for (ContactEntry& contact : account->Contacts()) {
      if (contact.id == selectionKey_) return Selected{ContactRow::Kind::Contact, account, std::move(contact)};
    }
    return std::nullopt;
  };
  if (auto icq = contactIn(Account(Protocol::Icq))) return icq;
  const auto msn = Account(Protocol::Msn);
  if (!msn) return std::nullopt;
  for (const ConversationEntry& conversation : msn->Conversations()) {
    if (conversation.id == selectionKey_) return Selected{ContactRow::Kind::Conversation, msn, std::nullopt};
  }
  return contactIn(msn);
}

void ContactListWindow::OpenChatForSelection() {
  if (selectionKey_ == kHeaderKey) {
    if (!notice_.empty()) ShowNotice();
    return;
  }
  const auto selected = FindSelected();
  if (!selected) return;
  opener_->OpenChat(selected->account, selectionKey_);
  application_.PostEvent(core::MakeEvent(EventCode::ViewRefresh));
}

MenuContext ContactListWindow::MenuContextNow() {
  const core::SettingsValues settings = Settings();
  MenuContext context{
      .rowSelected = !selectionKey_.empty(), .icqEnabled = settings.icqEnabled, .msnEnabled = settings.msnEnabled};
  if (const auto selected = FindSelected()) context.contact = selected->contact;
  if (const auto icq = Account(Protocol::Icq)) {
    context.icqSignedIn = icq->SignedIn();
    if (context.icqSignedIn) context.icqGroups = icq->Groups();
  }
  if (const auto msn = Account(Protocol::Msn)) context.msnSignedIn = msn->SignedIn();
  return context;
}

void ContactListWindow::OpenMenu() {
  Refresh();
  const auto text = [this](std::string_view key) { return application_.Text(key); };
  std::weak_ptr<ContactListWindow> weak = weak_from_this();
  MenuWindow::Open(
      loop_.Windows(), BuildContactListMenu(MenuContextNow(), text),
      [weak](int command) {
        if (const auto self = weak.lock()) self->RunCommand(command);
      },
      MenuWindow::Side::Right, screen_.width, screen_.height);
}

void ContactListWindow::RunCommand(int command) {
  using Dialog = WindowOpener::Dialog;
  const auto base = [](ContactCommand first) { return static_cast<int>(first); };
  if (command >= base(ContactCommand::IcqStatusBase) &&
      command < base(ContactCommand::IcqStatusBase) + static_cast<int>(std::size(kIcqMenuStatuses))) {
    const int32_t status = kIcqMenuStatuses[command - base(ContactCommand::IcqStatusBase)];
    application_.PostEvent(core::MakeEvent(EventCode::SetIcqStatus, core::StatusPayload{.status = status}));
    return;
  }
  if (command >= base(ContactCommand::MsnStatusBase) &&
      command < base(ContactCommand::MsnStatusBase) + static_cast<int>(std::size(kMsnMenuStatuses))) {
    const int32_t status = kMsnMenuStatuses[command - base(ContactCommand::MsnStatusBase)];
    application_.PostEvent(core::MakeEvent(EventCode::SetMsnStatus, core::StatusPayload{.status = status}));
    return;
  }
  const auto dialog = [this](Dialog which) { opener_->OpenDialog(which); };
  switch (static_cast<ContactCommand>(command)) {
    case ContactCommand::Downloads: return dialog(Dialog::Downloads);
    case ContactCommand::AccountsNetwork: return dialog(Dialog::AccountsNetwork);
    case ContactCommand::Settings: return dialog(Dialog::Settings);
    case ContactCommand::Folders: return dialog(Dialog::Folders);
    case ContactCommand::IconsSmiliesSkin: return dialog(Dialog::IconsSmiliesSkin);
    case ContactCommand::Toolbar: return dialog(Dialog::Toolbar);
    case ContactCommand::Language: return dialog(Dialog::Language);
    case ContactCommand::HomeScreenSetup: return dialog(Dialog::HomeScreenSetup);
    case ContactCommand::HomeScreenDeleteScheme: return dialog(Dialog::HomeScreenDeleteScheme);
    case ContactCommand::About: return dialog(Dialog::About);
    case ContactCommand::FindMsnUser: return opener_->OpenSearch(Protocol::Msn);
    case ContactCommand::FindIcqUser: return opener_->OpenSearch(Protocol::Icq);
    case ContactCommand::RefreshIcqList:
      if (const auto icq = Account(Protocol::Icq)) icq->RefreshList();
      return;
    case ContactCommand::Chat: Refresh(); return OpenChatForSelection();
    default: break;
  }

  // The rest concern the selected contact; without one they do nothing.
  const auto selected = FindSelected();
  if (!selected || !selected->contact) return;
  AccountModel& account = *selected->account;
  const std::u16string& id = selected->contact->id;
  if (command >= base(ContactCommand::MoveToGroupBase)) {
    const int group = command - base(ContactCommand::MoveToGroupBase);
    if (group <= 0xFFFF) account.MoveToGroup(id, static_cast<uint16_t>(group));
    return;
  }
  switch (static_cast<ContactCommand>(command)) {
    case ContactCommand::Info: return opener_->OpenInfo(selected->account, id);
    case ContactCommand::ContactSettings: return opener_->OpenContactSettings(selected->account, id);
    case ContactCommand::ShowStatus:
      account.SetShowStatus(id, !selected->contact->options.showStatus);
      application_.PostEvent(core::MakeEvent(EventCode::ViewRefresh));
      return;
    case ContactCommand::Authorize: account.Authorize(id); return;
    case ContactCommand::RequestAuthorization: account.RequestAuthorization(id); return;
    case ContactCommand::AddToList: account.AddToList(id); return;
    case ContactCommand::Delete: account.Delete(id); return;
    case ContactCommand::Block: account.Block(id); return;
    case ContactCommand::Unblock: account.Unblock(id); return;
    default: return;
  }
}

void ContactListWindow::AskToQuit() {
  std::weak_ptr<ContactListWindow> weak = weak_from_this();
  MessageBox::Show(loop_.Windows(), screen_.width, screen_.height, std::u16string(core::kMainWindowTitle),
                   application_.Text("quit") + u"?", application_.Text("ok"), application_.Text("cancel"),
                   [weak](MessageBox::Answer answer) {
                     const auto self = weak.lock();
                     if (self && answer == MessageBox::Answer::First) self->Quit();
                   });
}

void ContactListWindow::OnCloseRequest() { Quit(); }

void ContactListWindow::Quit() {
  if (quitting_) return;
  quitting_ = true;
  accounts_->Release();
  RunQuitSequence(application_, loop_, this);
}

void ContactListWindow::TakeNotice() {
  std::u16string text = application_.TakeUserMessage();
  if (text.empty()) return;
  notice_ = std::move(text);
  ShowNotice();
}

void ContactListWindow::ShowNotice() {
  MessageBox::Show(loop_.Windows(), screen_.width, screen_.height, std::u16string(core::kMainWindowTitle), notice_,
                   application_.Text("ok"), {}, nullptr);
}

void ContactListWindow::OnEvent(const core::AppEventPtr& event) {
  if (!event || quitting_) return;
  const bool statusEvent = status_.Follows(event->Code()) || event->Code() == EventCode::ViewRefresh;
  bool changed = status_.Apply(*event);
  if (statusEvent && homeTile_) homeTile_->Send(accounts_->Accounts(), status_);
  switch (event->Code()) {
    case EventCode::ViewRefresh:
      TakeNotice();
      changed = true;
      break;
    case EventCode::SettingsChanged:
      rowsValid_ = false;  // the keypad map may be another
      changed = true;
      break;
    case EventCode::IcqOwnStatus:
    case EventCode::MsnOwnStatus:
      // Signed in again: the notice of the last sign-off has served.
      changed = changed || !notice_.empty();
      notice_.clear();
      break;
    default: break;
  }
  if (changed) Invalidate();
}

}  // namespace quelt::ui
