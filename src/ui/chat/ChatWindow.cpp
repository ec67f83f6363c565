#include "ui/chat/ChatWindow.h"

#include <algorithm>

#include "core/Application.h"
#include "core/SingleInstance.h"
#include "core/UiDispatcher.h"
#include "platform/Clock.h"
#include "platform/Registry.h"
#include "platform/Spawn.h"
#include "platform/TextCodec.h"
#include "platform/screen/Clipboard.h"
#include "platform/screen/Font.h"
#include "platform/screen/Image.h"
#include "resources/LookSet.h"
#include "resources/SmileySet.h"
#include "resources/SmileyTable.h"
#include "ui/chat/LinkCommand.h"
#include "ui/chat/SmileyPicker.h"
#include "ui/toolkit/Caption.h"
#include "ui/toolkit/Fonts.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/MenuWindow.h"
#include "ui/toolkit/MessageBox.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/WindowStack.h"
#include "ui/windows/ApplicationLooks.h"
#include "ui/windows/ContactListPaint.h"

namespace quelt::ui {

using core::EventCode;
using platform::Color;
using platform::Key;
using platform::Rect;

namespace {

const resources::SkinData& Values(const resources::LookSet& looks) { return looks.CurrentSkin()->Effective(); }

TextBox::Options EntryOptions(const resources::SkinData& values) {
  return {.font = OpenFont(values.chat.font),
          .text = values.chat.entryText.value_or(Color::FromRgb(0x000000)),
          .background = values.chat.entryBackground.value_or(Color::FromRgb(0xFFFFFF)),
          .lines = std::max(1, values.chat.entryLines),
          .multiLine = true};
}

}  // namespace

ChatServices ChatServices::System() {
  return {
      .setClipboard = [](std::u16string_view text) { return platform::SetClipboardText(text); },
      .clipboard = [] { return platform::ClipboardText(); },
      .launch = [](const std::vector<std::string>& argv) { return platform::SpawnDetached(argv); },
      .browserCommand =
          [] { return platform::Registry::ForUser().GetString(kBrowserCommandKey).value_or(kDefaultBrowserCommand); }};
}

std::shared_ptr<ChatWindow> ChatWindow::Open(core::Application& application, UiLoop& loop, ScreenSize screen,
                                             std::shared_ptr<AccountModel> account, std::shared_ptr<ChatModel> chat,
                                             ChatServices services) {
  auto window = std::shared_ptr<ChatWindow>(
      new ChatWindow(application, loop, screen, std::move(account), std::move(chat), std::move(services)));
  window->Start();
  return window;
}

ChatWindow::ChatWindow(core::Application& application, UiLoop& loop, ScreenSize screen,
                       std::shared_ptr<AccountModel> account, std::shared_ptr<ChatModel> chat, ChatServices services)
    : application_(application),
      loop_(loop),
      screen_(screen),
      account_(std::move(account)),
      chat_(std::move(chat)),
      conversation_(chat_->History()),
      services_(std::move(services)),
      looks_(LooksOf(application)),
      entry_([this] {
        auto options = EntryOptions(Values(*looks_));
        options.changed = [this] { EntryChanged(); };
        return options;
      }()),
      list_([this](uint64_t first, uint32_t count) -> std::optional<core::HistorySlice> {
        if (!conversation_) return std::nullopt;
        return application_.History().ReadRecords(*conversation_, first, count);
      }) {}

ChatWindow::~ChatWindow() {
  if (typingTimer_) loop_.CancelTimer(*typingTimer_);
  // Taken down with the program: what was typed is kept for next time all the same.
  if (!closed_ && !sending_) chat_->SetUnsentText(entry_.Text());
}

void ChatWindow::Start() {
  list_.LoadLatest();
  SetEntryText(chat_->UnsentText());
  sending_ = chat_->Sending();
  entry_.SetEnabled(CanSendNow() && !sending_);
  chat_->MarkRead();
  loop_.Windows().Push(shared_from_this());
  application_.Dispatcher().AddUiListener(shared_from_this());
}

ChatListStyle ChatWindow::CurrentStyle() {
  const auto settings = application_.GetSettings()->Values();
  ChatListStyle style{.font = OpenFont(Values(*looks_).chat.font),
                      .showTime = settings.showDateTime,
                      .showNames = settings.showNames,
                      .you = application_.Text("you")};
  style.smileys = LoadedSmileys();
  std::weak_ptr<ChatModel> weak = chat_;
  std::vector<std::u16string> ids = conversation_ ? conversation_->Participants() : std::vector<std::u16string>{};
  style.senderName = [weak, ids = std::move(ids)](uint8_t sender) -> std::u16string {
    const auto chat = weak.lock();
    if (!chat || sender >= ids.size()) return {};
    for (const auto& participant : chat->Participants()) {
      // A known contact without a name goes by its identifier, as in the list.
      if (participant.id == ids[sender])
        return participant.displayName.empty() ? participant.id : participant.displayName;
    }
    return {};
  };
  return style;
}

void ChatWindow::SetEntryText(std::u16string_view text) {
  restoring_ = true;
  entry_.SetText(text);
  restoring_ = false;
}

const resources::SmileyTable* ChatWindow::LoadedSmileys() {
  smileys_ = chat_->Smileys();
  // The set may still be loading: it is waited for, and kept while the window lives.
  return smileys_ && smileys_->WaitLoaded() ? &smileys_->Table() : nullptr;
}

bool ChatWindow::CanSendNow() const { return chat_->CanSend(); }

bool ChatWindow::WantsSend() const { return !listMode_ && entry_.Enabled() && !entry_.Text().empty() && !sending_; }

std::u16string ChatWindow::RightSoftKeyLabel() const { return application_.Text(WantsSend() ? "send" : "back"); }

std::u16string ChatWindow::Title() const {
  std::u16string title;
  bool typing = false;
  for (const auto& participant : chat_->Participants()) {
    if (!title.empty()) title += u", ";
    title += participant.displayName.empty() ? participant.id : participant.displayName;
    typing = typing || participant.typing;
  }
  if (typing) title += u" " + application_.Text("typing");
  return title;
}

void ChatWindow::EntryChanged() {
  Invalidate();
  if (restoring_) return;
  if (entry_.Text().empty()) {
    StopTyping();
    return;
  }
  lastEdit_ = platform::Ticks();
  if (!typing_) {
    typing_ = true;
    chat_->NotifyTyping(true);
  }
  if (chat_->Service() == Protocol::Icq) {
    // A pause in the typing counts as stopping; the timer runs only while the user types.
    if (typingTimer_) loop_.CancelTimer(*typingTimer_);
    std::weak_ptr<ChatWindow> weak = weak_from_this();
    typingTimer_ = loop_.After(services_.typingPauseMs, [weak] {
      if (const auto self = weak.lock()) {
        self->typingTimer_.reset();
        self->StopTyping();
      }
    });
  }
}

void ChatWindow::StopTyping() {
  if (typingTimer_) {
    loop_.CancelTimer(*typingTimer_);
    typingTimer_.reset();
  }
  if (!typing_) return;
  typing_ = false;
  chat_->NotifyTyping(false);
}

void ChatWindow::Send() {
  StopTyping();
  const std::u16string text = entry_.Text();
  chat_->SetUnsentText(text);
  switch (chat_->Send(text)) {
    case ChatModel::SendResult::Sent:
      if (chat_->Sending()) {
        // Held until the other side has it; a failure gives the text back for another try.
        sending_ = true;
        entry_.SetEnabled(false);
      } else {
        chat_->SetUnsentText({});
        SetEntryText({});
      }
      if (list_.LoadNewer()) chat_->MarkRead();
      break;
    case ChatModel::SendResult::CantSend: ShowCantSend(); break;
    case ChatModel::SendResult::NotNow: entry_.SetEnabled(CanSendNow() && !sending_); break;
  }
  Invalidate();
}

void ChatWindow::ShowCantSend() {
  MessageBox::Show(loop_.Windows(), screen_.width, screen_.height, u"Error", u"Can't send message",
                   application_.Text("ok"), {}, nullptr);
}

void ChatWindow::Close() {
  if (closed_) return;
  closed_ = true;
  StopTyping();
  // While a message is on its way the conversation keeps its text itself.
  if (!sending_) chat_->SetUnsentText(entry_.Text());
  chat_->Close();
  if (animation_) animation_->Stop();
  application_.Dispatcher().RemoveUiListener(this);
  loop_.Windows().Remove(this);
}

void ChatWindow::EnterListMode() {
  listMode_ = true;
  list_.SelectNewest();
  Invalidate();
}

void ChatWindow::LeaveListMode() {
  listMode_ = false;
  list_.Unselect();
  Invalidate();
}

void ChatWindow::Refresh() {
  if (closed_) return;
  if (list_.LoadNewer()) chat_->MarkRead();
  if (sending_ && !chat_->Sending()) {
    sending_ = false;
    SetEntryText(chat_->UnsentText());  // empty once delivered, the text again after a failure
  }
  entry_.SetEnabled(CanSendNow() && !sending_);
  Invalidate();
}

void ChatWindow::OnEvent(const core::AppEventPtr& event) {
  if (!event || closed_) return;
  if (chat_->IsSendFailure(*event)) ShowCantSend();
  switch (event->Code()) {
    case EventCode::SettingsChanged:
      // Fonts, headers and the smiley set may all have changed.
      styled_ = false;
      list_.LoadLatest();
      if (listMode_) list_.SelectNewest();
      entry_.SetFont(OpenFont(Values(*looks_).chat.font));
      Refresh();
      break;
    case EventCode::IcqMessageReceived:
    case EventCode::MsnTextReceived:
    case EventCode::IcqMessageConfirmed:
    case EventCode::MsnTextDelivered:
    case EventCode::IcqMessageNotConfirmed:
    case EventCode::MsnSendFailed:
    case EventCode::IcqTyping:
    case EventCode::ViewRefresh:
    case EventCode::IcqStartupDone:
    case EventCode::MsnLoggedIn:
    case EventCode::IcqConnectionGone:
    case EventCode::MsnDisconnected: Refresh(); break;
    default: break;
  }
}

bool ChatWindow::OnText(std::u16string_view text) {
  if (listMode_ || closed_) return false;
  return entry_.OnText(text);
}

bool ChatWindow::OnKey(Key key) {
  if (closed_) return false;
  if (listMode_) {
    switch (key) {
      case Key::Up:
        if (list_.Up()) Invalidate();
        return true;
      case Key::Down:
        if (list_.Down()) Invalidate();
        return true;
      case Key::Action: OpenSelectedLink(); return true;
      case Key::Left: Close(); return true;
      case Key::RightSoft:
      case Key::Back: LeaveListMode(); return true;
      case Key::LeftSoft: OpenMenu(); return true;
      default: return true;
    }
  }
  const bool editable = entry_.Enabled() && !entry_.Text().empty();
  switch (key) {
    case Key::Up:
      if (!entry_.Enabled() || entry_.CaretOnFirstLine() || !entry_.OnKey(key)) EnterListMode();
      return true;
    case Key::Left:
      if (!editable) {
        Close();
      } else if (entry_.OnKey(key)) {
        Invalidate();
      }
      return true;
    case Key::Back:
      // The window keeps Back: it deletes while there is text, and leaves once there is none.
      if (!editable) {
        Close();
      } else {
        entry_.OnKey(Key::Backspace);
      }
      return true;
    case Key::LeftSoft: OpenMenu(); return true;
    case Key::RightSoft:
      if (WantsSend()) {
        Send();
      } else {
        Close();
      }
      return true;
    case Key::Down:
    case Key::Right:
    case Key::Action:
    case Key::Backspace:
      if (entry_.OnKey(key)) Invalidate();
      return true;
    default: return true;  // typed characters come as text
  }
}

std::optional<Key> ChatWindow::KeyForClick(int x, int y) const {
  return SoftKeyBar::KeyAt(SoftKeyBar::Area(screen_.width, screen_.height), x, y);
}

std::vector<ContactEntry> ChatWindow::Invitable() const {
  std::vector<ContactEntry> invitable;
  if (chat_->Service() != Protocol::Msn || !account_) return invitable;
  const auto participants = chat_->Participants();
  for (auto& contact : account_->Contacts()) {
    const bool present = std::any_of(participants.begin(), participants.end(),
                                     [&contact](const ParticipantEntry& entry) { return entry.id == contact.id; });
    if (contact.presence >= 0 && !present && !contact.blocked) invitable.push_back(std::move(contact));
  }
  return invitable;
}

void ChatWindow::OpenMenu() {
  invitable_ = Invitable();
  const resources::SmileyTable* smileys = LoadedSmileys();
  ChatMenuContext context{.service = chat_->Service(),
                          .listMode = listMode_,
                          .entryEmpty = entry_.Text().empty(),
                          .hasSmileys = smileys && !smileys->Smileys().empty(),
                          .clipboardHasText = services_.clipboard && services_.clipboard().has_value(),
                          .messageSelected = list_.Selected().has_value(),
                          .linkSelected = list_.SelectedLink().has_value()};
  for (const auto& contact : invitable_) {
    context.invitable.push_back(contact.displayName.empty() ? contact.id : contact.displayName);
  }
  std::weak_ptr<ChatWindow> weak = weak_from_this();
  MenuWindow::Open(
      loop_.Windows(), BuildChatMenu(context, [this](std::string_view key) { return application_.Text(key); }),
      [weak](int command) {
        if (const auto self = weak.lock()) self->RunCommand(command);
      },
      MenuWindow::Side::Left, screen_.width, screen_.height);
}

void ChatWindow::RunCommand(int command) {
  const auto copy = [this](std::u16string_view text) {
    if (services_.setClipboard) (void)services_.setClipboard(text);
  };
  const int invite = command - static_cast<int>(ChatCommand::InviteBase);
  if (invite >= 0 && static_cast<size_t>(invite) < invitable_.size()) {
    (void)chat_->Invite(invitable_[static_cast<size_t>(invite)].id);
    return;
  }
  switch (static_cast<ChatCommand>(command)) {
    case ChatCommand::Smile: OpenSmileyPicker(); break;
    case ChatCommand::Copy: copy(entry_.Text()); break;
    case ChatCommand::Paste:
      if (const auto text = services_.clipboard ? services_.clipboard() : std::nullopt) entry_.Append(*text);
      break;
    case ChatCommand::Clear: entry_.Clear(); break;
    case ChatCommand::Close:
    case ChatCommand::LeaveChatSession: Close(); break;
    case ChatCommand::CopyMessage:
      if (const auto selected = list_.Selected()) copy(list_.Message(*selected).text);
      break;
    case ChatCommand::OpenLink: OpenSelectedLink(); break;
    case ChatCommand::Download:
      if (const auto link = list_.SelectedLink(); link && services_.download) services_.download(*link);
      break;
    case ChatCommand::Participants: ShowParticipants(); break;
    case ChatCommand::CopyLink:
      if (const auto link = list_.SelectedLink()) copy(*link);
      break;
    case ChatCommand::ClearHistory: AskToClearHistory(); break;
    case ChatCommand::InviteBase: break;
  }
  Invalidate();
}

void ChatWindow::ShowParticipants() {
  std::u16string names;
  for (const auto& participant : chat_->Participants()) {
    if (!names.empty()) names += u"\n";
    names += participant.displayName.empty() ? participant.id : participant.displayName + u" (" + participant.id + u")";
  }
  MessageBox::Show(loop_.Windows(), screen_.width, screen_.height, application_.Text("participants"), names,
                   application_.Text("ok"), {}, nullptr);
}

void ChatWindow::OpenSmileyPicker() {
  const resources::SmileyTable* smileys = LoadedSmileys();
  if (!smileys || smileys->Smileys().empty()) return;
  std::weak_ptr<ChatWindow> weak = weak_from_this();
  SmileyPicker::Open(
      loop_.Windows(), screen_, *smileys, Values(*looks_).chat,
      {.title = application_.Text("select_smile"),
       .choose = application_.Text("ok"),
       .cancel = application_.Text("cancel")},
      [weak](const std::u16string& text) {
        if (const auto self = weak.lock()) self->entry_.Insert(text);
      },
      application_.GetSettings()->Values().animateSmileList ? &application_.Dispatcher() : nullptr);
}

void ChatWindow::OpenSelectedLink() {
  const auto link = list_.SelectedLink();
  if (!link || !services_.launch || !services_.browserCommand) return;
  // Opening a link reports nothing: the browser shows its own errors.
  if (const auto argv = LinkCommandLine(services_.browserCommand(), *link)) (void)services_.launch(*argv);
}

void ChatWindow::AskToClearHistory() {
  std::weak_ptr<ChatWindow> weak = weak_from_this();
  MessageBox::Show(loop_.Windows(), screen_.width, screen_.height, std::u16string(core::kMainWindowTitle),
                   application_.Text("clear_history") + u"?", application_.Text("yes"), application_.Text("no"),
                   [weak](MessageBox::Answer answer) {
                     const auto self = weak.lock();
                     if (!self || answer != MessageBox::Answer::First || !self->conversation_) return;
                     if (self->application_.History().Clear(*self->conversation_)) self->list_.Clear();
                     self->Invalidate();
                   });
}

int ChatWindow::FrameOf(const std::shared_ptr<platform::Image>& image) const {
  const auto found = std::find(animated_.begin(), animated_.end(), image);
  return found == animated_.end() || !animation_ ? 0 : animation_->CurrentFrame(found - animated_.begin());
}

void ChatWindow::AnimateVisibleSmileys() {
  std::vector<std::shared_ptr<platform::Image>> wanted;
  for (const auto& image : list_.VisibleImages()) {
    if (image->FrameCount() > 1) wanted.push_back(image);
  }
  if (wanted == animated_) return;
  animated_ = std::move(wanted);
  if (!animation_) {
    // The scheduler's thread only asks the main thread for a repaint.
    std::weak_ptr<ChatWindow> weak = weak_from_this();
    animation_ = std::make_unique<AnimationScheduler>([dispatcher = &application_.Dispatcher(), weak] {
      dispatcher->PostTask([weak] {
        if (const auto self = weak.lock()) self->Invalidate();
      });
    });
  }
  animation_->Clear();
  for (const auto& image : animated_) (void)animation_->Add(image);
  if (animated_.empty()) {
    animation_->Stop();
  } else {
    animation_->Start();
  }
}

void ChatWindow::Paint(Painter& painter) {
  const auto& values = Values(*looks_);
  const auto& colours = values.chat;
  if (!styled_) {
    list_.SetStyle(CurrentStyle());
    styled_ = true;
  }
  const Rect softKeys = SoftKeyBar::Area(screen_.width, screen_.height);
  const auto& look = DefaultLook();
  const int titleHeight = PaintTitleStrip(painter, screen_.width, Title());
  const int entryHeight = listMode_ ? 0 : entry_.Height();
  const Rect listArea{0, titleHeight, screen_.width, std::max(0, softKeys.y - titleHeight - entryHeight)};
  painter.Fill(listArea, colours.background.value_or(look.background));
  PaintAligned(painter, colours.backgroundImage, listArea, colours.backgroundAlign);
  list_.Paint(painter, listArea, colours, [this](const auto& image) { return FrameOf(image); });
  AnimateVisibleSmileys();
  if (!listMode_) entry_.Paint(painter, {0, listArea.y + listArea.height, screen_.width, entryHeight});
  SoftKeyBar::Paint(painter, softKeys, application_.Text("menu"), RightSoftKeyLabel());
}

}  // namespace quelt::ui
