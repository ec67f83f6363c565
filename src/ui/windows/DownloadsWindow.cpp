#include "ui/windows/DownloadsWindow.h"

#include <algorithm>
#include <system_error>

#include "core/Application.h"
#include "core/UiDispatcher.h"
#include "download/DownloadManager.h"
#include "platform/Spawn.h"
#include "platform/TextCodec.h"
#include "platform/screen/Clipboard.h"
#include "platform/screen/Font.h"
#include "platform/screen/Image.h"
#include "resources/LookSet.h"
#include "ui/toolkit/Caption.h"
#include "ui/toolkit/Fonts.h"
#include "ui/toolkit/Look.h"
#include "ui/toolkit/MenuWindow.h"
#include "ui/toolkit/Painter.h"
#include "ui/toolkit/SoftKeyBar.h"
#include "ui/toolkit/TextPrompt.h"
#include "ui/toolkit/WindowStack.h"
#include "ui/windows/ApplicationLooks.h"
#include "ui/windows/DownloadsMenu.h"

namespace quelt::ui {

using core::EventCode;
using platform::Key;
using platform::Rect;

namespace {

constexpr int kPadding = 2;  // around the state image and the text

resources::SkinData::Downloads Skin(core::Application& application) {
  return LooksOf(application)->CurrentSkin()->Effective().downloads;
}

}  // namespace

DownloadsServices DownloadsServices::System() {
  return {.setClipboard = [](std::u16string_view text) { return platform::SetClipboardText(text); },
          .open =
              [](const std::string& path) {
                return platform::SpawnDetached({"xdg-open", path});
              }};
}

std::shared_ptr<DownloadsWindow> DownloadsWindow::Open(core::Application& application, UiLoop& loop, ScreenSize screen,
                                                       std::shared_ptr<download::DownloadManager> manager,
                                                       DownloadsServices services) {
  auto window = std::shared_ptr<DownloadsWindow>(
      new DownloadsWindow(application, loop, screen, std::move(manager), std::move(services)));
  application.Dispatcher().AddUiListener(window);
  window->Show();
  return window;
}

DownloadsWindow::DownloadsWindow(core::Application& application, UiLoop& loop, ScreenSize screen,
                                 std::shared_ptr<download::DownloadManager> manager, DownloadsServices services)
    : application_(application),
      loop_(loop),
      screen_(screen),
      manager_(std::move(manager)),
      services_(std::move(services)) {}

void DownloadsWindow::Show() {
  const auto self = shared_from_this();
  if (shown_) loop_.Windows().Remove(this);
  loop_.Windows().Push(self);
  shown_ = true;
  ClampSelection();
  Invalidate();
}

void DownloadsWindow::Hide() {
  shown_ = false;
  loop_.Windows().Remove(this);
}

void DownloadsWindow::Select(size_t index) {
  selected_ = index;
  ClampSelection();
  Invalidate();
}

void DownloadsWindow::ClampSelection() {
  tasks_ = manager_->Tasks();
  if (tasks_.empty()) {
    selected_ = 0;
  } else {
    selected_ = std::min(selected_, tasks_.size() - 1);
  }
}

std::optional<size_t> DownloadsWindow::Selected() const {
  return tasks_.empty() ? std::nullopt : std::optional<size_t>(selected_);
}

std::shared_ptr<download::DownloadTask> DownloadsWindow::SelectedTask() const {
  return tasks_.empty() ? nullptr : tasks_[selected_];
}

bool DownloadsWindow::FileExists(const download::DownloadTask& task) const {
  std::error_code error;
  return std::filesystem::is_regular_file(manager_->FileOf(task), error);
}

void DownloadsWindow::OnEvent(const core::AppEventPtr& event) {
  if (!event) return;
  switch (event->Code()) {
    case EventCode::DownloadUpdate:
    case EventCode::SettingsChanged:
    case EventCode::IcqAccountChanged:
    case EventCode::MsnAccountChanged:
      // Settings and accounts may have moved the list to another folder.
      ClampSelection();
      Invalidate();
      break;
    default: break;
  }
}

bool DownloadsWindow::OnKey(Key key) {
  switch (key) {
    case Key::Up:
      if (selected_ > 0) --selected_;
      Invalidate();
      return true;
    case Key::Down:
      if (selected_ + 1 < tasks_.size()) ++selected_;
      Invalidate();
      return true;
    case Key::Action: OpenSelected(); return true;
    case Key::LeftSoft: OpenMenu(); return true;
    case Key::Left:
    case Key::RightSoft:
    case Key::Back:
    case Key::Backspace: Hide(); return true;
    default: return true;
  }
}

std::optional<Key> DownloadsWindow::KeyForClick(int x, int y) const {
  return SoftKeyBar::KeyAt(SoftKeyBar::Area(screen_.width, screen_.height), x, y);
}

void DownloadsWindow::OpenSelected() {
  if (!services_.open) return;
  const auto task = SelectedTask();
  if (!task) {
    // Nothing to open: the folder the files go to, then.
    (void)services_.open(manager_->Folder().string() + "/");
  } else if (FileExists(*task)) {
    (void)services_.open(manager_->FileOf(*task).string());
  }
}

void DownloadsWindow::OpenMenu() {
  ClampSelection();
  const auto task = SelectedTask();
  DownloadsMenuContext context;
  if (task) {
    const auto progress = task->Progress();
    context = {
        .selected = true, .running = progress.running, .complete = progress.complete, .fileExists = FileExists(*task)};
  }
  std::weak_ptr<DownloadsWindow> weak = weak_from_this();
  MenuWindow::Open(
      loop_.Windows(), BuildDownloadsMenu(context, [this](std::string_view key) { return application_.Text(key); }),
      [weak](int command) {
        if (const auto self = weak.lock()) self->RunCommand(command);
      },
      MenuWindow::Side::Left, screen_.width, screen_.height);
}

void DownloadsWindow::RunCommand(int command) {
  const auto task = SelectedTask();
  switch (static_cast<DownloadsCommand>(command)) {
    case DownloadsCommand::OpenFile: OpenSelected(); break;
    case DownloadsCommand::CopyLink:
      if (task && services_.setClipboard) (void)services_.setClipboard(task->Url());
      break;
    case DownloadsCommand::Add: AskForLink(); break;
    case DownloadsCommand::Download:
      if (task) manager_->Start(task);
      break;
    case DownloadsCommand::Stop:
      if (task) manager_->Stop(task);
      break;
    case DownloadsCommand::Delete:
      if (task) manager_->Remove(task);
      break;
    case DownloadsCommand::DeleteFile:
      if (task) manager_->DeleteFile(task);
      break;
  }
  ClampSelection();
  Invalidate();
}

void DownloadsWindow::AskForLink() {
  std::weak_ptr<DownloadsWindow> weak = weak_from_this();
  TextPrompt::Show(
      loop_.Windows(), screen_.width, screen_.height,
      {.caption = application_.Text("add"), .ok = application_.Text("ok"), .cancel = application_.Text("cancel")},
      [weak](const std::u16string& text) {
        const auto self = weak.lock();
        const size_t first = text.find_first_not_of(u" \t");
        if (!self || first == std::u16string::npos) return;
        const std::u16string link = text.substr(first, text.find_last_not_of(u" \t") + 1 - first);
        self->Select(self->manager_->AddLink(link).index);
      });
}

void DownloadsWindow::Paint(Painter& painter) {
  const auto skin = Skin(application_);
  const Look& look = DefaultLook();
  ClampSelection();

  const int titleHeight = PaintTitleStrip(painter, screen_.width, application_.Text("downloads"));
  const Rect softKeys = SoftKeyBar::Area(screen_.width, screen_.height);
  const Rect list{0, titleHeight, screen_.width, softKeys.y - titleHeight};
  painter.Fill(list, skin.background.value_or(look.background));
  PaintRows(painter, list, skin);
  SoftKeyBar::Paint(painter, softKeys, application_.Text("menu"), application_.Text("back"));
}

void DownloadsWindow::PaintRows(Painter& painter, const Rect& list, const resources::SkinData::Downloads& skin) {
  const Look& look = DefaultLook();
  const auto font = OpenFont(skin.font);
  const auto textColour = skin.text.value_or(look.text);
  // Two lines of text need room, whatever the skin says.
  const int lineHeight = font ? font->Height() : 12;
  const int rowHeight = std::max(skin.rowHeight, 2 * lineHeight + 2);
  const size_t visible = static_cast<size_t>(std::max(1, list.height / rowHeight));
  if (selected_ < top_) top_ = selected_;
  if (selected_ >= top_ + visible) top_ = selected_ + 1 - visible;

  Painter::Scope scope(painter, list);
  for (size_t i = top_; i < tasks_.size() && i < top_ + visible; ++i) {
    const auto& task = *tasks_[i];
    const auto progress = task.Progress();
    const Rect row{0, static_cast<int>(i - top_) * rowHeight, list.width, rowHeight};
    // Without a known size there is nothing to measure the bar by.
    if (progress.totalSize > 0) {
      const uint64_t done = std::min<uint64_t>(progress.partial, progress.totalSize);
      const int width = static_cast<int>(done * static_cast<uint64_t>(row.width) / progress.totalSize);
      painter.Fill({row.x, row.y, width, row.height}, skin.progress.value_or(look.scrollTrack));
    }
    // b1: waiting or failed, b2: running, b4: complete.
    const auto& image = skin.buttons[progress.complete ? 3 : progress.running ? 1 : 0];
    int textX = kPadding;
    if (image) {
      painter.Image(*image, kPadding, row.y + (row.height - image->Height()) / 2);
      textX += image->Width() + kPadding;
    }
    if (font) {
      const int top = row.y + (row.height - 2 * lineHeight) / 2;
      const std::u16string name = task.FileName().empty() ? u"Unknown" : task.FileName();
      painter.Text(*font, textX, top, name, textColour);
      painter.Text(*font, textX, top + lineHeight, DownloadDetail(progress), textColour);
    }
    if (i == selected_) painter.Frame(row, skin.selectedBorder.value_or(look.rule));
  }
}

}  // namespace quelt::ui
