#include "homehost/HomeScreen.h"

#include <algorithm>

#include "homehost/BuiltinClasses.h"
#include "homehost/FileWatcher.h"
#include "homehost/HomeScheme.h"
#include "homehost/HostMailbox.h"
#include "homehost/RowFactory.h"
#include "platform/Log.h"
#include "platform/Port.h"
#include "platform/TextCodec.h"
#include "platform/screen/Font.h"
#include "platform/screen/Surface.h"

namespace quelt::home {
namespace {

constexpr int64_t kMinuteMs = 60'000;

// The class identifier's text, as the plugin sends it; a C string's terminator is let through.
std::optional<Guid> DataChangedClass(const platform::PortMessage& message) {
  if (message.kind != platform::PortMessageKind::CopyData || message.tag != kDataChangedTag) return std::nullopt;
  std::string_view text(reinterpret_cast<const char*>(message.bytes.data()), message.bytes.size());
  if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  return ParseGuid(text);
}

}  // namespace

HomeScreen::HomeScreen(Setup setup)
    : setup_(std::move(setup)),
      theme_(std::make_shared<const HomeTheme>(setup_.width)),
      mailbox_(std::make_shared<HostMailbox>(setup_.wake)) {
  const ThemeFont title = *theme_->Font("FONT_HOMETITLE");
  titleFont_ = platform::Font::Open(title.face, title.pixelSize, title.bold);
  factory_ = std::make_unique<RowFactory>(RowFactory::Setup{
      .site = HostSite::Create(mailbox_, theme_, setup_.width, setup_.height),
      .theme = theme_,
      .registryFile = setup_.registryFile,
      .programFolder = setup_.programFolder,
      .clock = setup_.clock,
  });
}

HomeScreen::~HomeScreen() {
  // No notice may arrive while the rows go.
  port_.reset();
  watcher_.reset();
  Unload();
}

void HomeScreen::Load() {
  auto choice = ChooseScheme(setup_.registryFile, setup_.programFolder);
  Show(std::move(choice.scheme), std::move(choice.wanted));
}

bool HomeScreen::Listen() {
  port_ = platform::PortListener::Listen(kHomeHostPortClass, [mailbox = mailbox_](const platform::PortMessage& m) {
    const auto clsid = DataChangedClass(m);
    if (!clsid) return 0u;
    mailbox->PostDataChanged(*clsid);
    return 1u;
  });
  if (!port_) return false;
  std::error_code ignored;
  std::filesystem::create_directories(setup_.registryFile.parent_path(), ignored);
  watcher_ = FileWatcher::Start([mailbox = mailbox_] { mailbox->PostFilesChanged(); });
  if (!watcher_) platform::Log("home: cannot watch the scheme setting");
  WatchFiles();
  return true;
}

void HomeScreen::Unload() {
  // Objects go before their libraries are asked whether they may be closed, and before the
  // document whose elements they were given.
  rows_.clear();
  mailbox_->SetLiveHandles({});
  factory_->Sweep();
  scheme_.reset();
  selected_.reset();
  dirty_.clear();
}

void HomeScreen::Show(std::unique_ptr<HomeScheme> scheme, std::filesystem::path wanted) {
  Unload();
  scheme_ = std::move(scheme);
  wanted_ = std::move(wanted);
  title_ = scheme_ ? scheme_->Title() : std::string();
  if (title_.empty()) title_ = "Home";
  std::set<uint32_t> handles;
  if (scheme_) {
    for (auto& made : factory_->Make(*scheme_)) {
      if (made.row->Handle() != 0) handles.insert(made.row->Handle());
      rows_.push_back(Row{.clsid = made.clsid, .row = std::move(made.row)});
    }
  }
  mailbox_->SetLiveHandles(std::move(handles));
  shownMinute_ = CurrentMinute();
  paintAll_ = true;
  Layout();
  WatchFiles();
}

void HomeScreen::ReloadIfChanged() {
  auto choice = ChooseScheme(setup_.registryFile, setup_.programFolder);
  const bool same =
      choice.wanted == wanted_ && (choice.scheme == nullptr) == (scheme_ == nullptr) &&
      (!scheme_ || (choice.scheme->File() == scheme_->File() && choice.scheme->Bytes() == scheme_->Bytes()));
  if (same) return;
  platform::Log("home: the scheme changed");
  Show(std::move(choice.scheme), std::move(choice.wanted));
}

void HomeScreen::WatchFiles() {
  if (!watcher_) return;
  std::set<std::filesystem::path> files{setup_.registryFile};
  if (!wanted_.empty()) files.insert(wanted_);
  if (scheme_) files.insert(scheme_->File());
  watcher_->Watch(files);
}

void HomeScreen::RunPending() {
  auto work = mailbox_->Take();
  if (work.filesChanged) ReloadIfChanged();
  for (const Guid& clsid : work.dataChanged) DeliverDataChanged(clsid);
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (work.invalidated.contains(rows_[i].row->Handle())) dirty_.insert(i);
  }
}

void HomeScreen::DeliverDataChanged(const Guid& clsid) {
  for (size_t i = 0; i < rows_.size(); ++i) {
    if (rows_[i].clsid != clsid) continue;
    rows_[i].row->OnDataChanged();
    dirty_.insert(i);
  }
}

std::optional<uint32_t> HomeScreen::UntilTimer() const {
  const bool clock =
      std::any_of(rows_.begin(), rows_.end(), [](const Row& row) { return row.clsid == CLSID_HomeClock; });
  if (!clock) return std::nullopt;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(setup_.clock().time_since_epoch()).count();
  return static_cast<uint32_t>(kMinuteMs - ms % kMinuteMs);
}

void HomeScreen::RunTimers() {
  const int64_t minute = CurrentMinute();
  if (minute == shownMinute_) return;
  shownMinute_ = minute;
  DeliverDataChanged(CLSID_HomeClock);
}

int64_t HomeScreen::CurrentMinute() const {
  return std::chrono::duration_cast<std::chrono::minutes>(setup_.clock().time_since_epoch()).count();
}

int HomeScreen::TitleHeight() const { return (titleFont_ ? titleFont_->Height() : 0) + 2 * theme_->Padding(); }

void HomeScreen::Layout() {
  bool moved = false;
  int y = TitleHeight();
  for (auto& row : rows_) {
    const int height = std::clamp(row.row->Height(), 0, std::max(0, setup_.height - y));
    const platform::Rect area = height > 0 ? platform::Rect{0, y, setup_.width, height} : platform::Rect{};
    moved = moved || area != row.area;
    row.area = area;
    row.selectable = height > 0 && row.row->Selectable();
    y += height;
  }
  // A selected row that went away hands the selection to the next one, else the one before.
  if (!selected_ || !rows_[*selected_].selectable) {
    const size_t from = selected_.value_or(0);
    std::optional<size_t> next;
    for (size_t i = from; i < rows_.size() && !next; ++i) {
      if (rows_[i].selectable) next = i;
    }
    for (size_t i = from; i-- > 0 && !next;) {
      if (rows_[i].selectable) next = i;
    }
    Select(next);
  }
  if (moved) paintAll_ = true;
}

void HomeScreen::Select(std::optional<size_t> row) {
  if (row == selected_) return;
  if (selected_) dirty_.insert(*selected_);
  if (row) dirty_.insert(*row);
  selected_ = row;
}

void HomeScreen::MoveSelection(int step) {
  if (!selected_) return;
  for (auto i = static_cast<ptrdiff_t>(*selected_) + step; i >= 0 && i < static_cast<ptrdiff_t>(rows_.size());
       i += step) {
    if (rows_[static_cast<size_t>(i)].selectable) {
      Select(static_cast<size_t>(i));
      return;
    }
  }
}

void HomeScreen::Press(platform::Key key) {
  Layout();
  switch (key) {
    case platform::Key::Up: MoveSelection(-1); break;
    case platform::Key::Down: MoveSelection(1); break;
    case platform::Key::Left:
      if (selected_) rows_[*selected_].row->OnKey(kKeyLeft);
      break;
    case platform::Key::Right:
      if (selected_) rows_[*selected_].row->OnKey(kKeyRight);
      break;
    case platform::Key::Action:
      if (selected_) rows_[*selected_].row->OnAction();
      break;
    default: break;
  }
}

void HomeScreen::PaintTitle(platform::Surface& screen) const {
  const int height = TitleHeight();
  const int padding = theme_->Padding();
  screen.Fill({0, 0, setup_.width, height}, *theme_->Color("COLOR_HOMETITLE"));
  if (!titleFont_) return;
  const platform::Rect text{padding, 0, setup_.width - 2 * padding, height};
  titleFont_->Draw(screen, padding, padding, platform::Utf8ToUtf16(title_), *theme_->Color("COLOR_HOMETITLETEXT"),
                   text);
}

void HomeScreen::Paint(platform::Surface& screen) {
  RunPending();
  Layout();
  const platform::Color background = theme_->Background();
  if (paintAll_) {
    screen.Fill({0, 0, screen.Width(), screen.Height()}, background);
    PaintTitle(screen);
  }
  for (size_t i = 0; i < rows_.size(); ++i) {
    const Row& row = rows_[i];
    if (row.area.height <= 0 || (!paintAll_ && !dirty_.contains(i))) continue;
    if (!paintAll_) screen.Fill(row.area, background);
    row.row->Paint(screen, row.area, selected_ == i);
  }
  paintAll_ = false;
  dirty_.clear();
}

std::filesystem::path HomeScreen::SchemeFile() const { return scheme_ ? scheme_->File() : std::filesystem::path(); }

std::vector<HomeScreen::RowView> HomeScreen::Rows() {
  Layout();
  std::vector<RowView> views;
  for (const Row& row : rows_) views.push_back({row.clsid, row.area, row.selectable});
  return views;
}

}  // namespace quelt::home
