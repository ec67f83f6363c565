#include "ui/windows/DownloadsMenu.h"

#include "download/DownloadTask.h"
#include "platform/TextCodec.h"

namespace quelt::ui {
namespace {

std::u16string Number(uint32_t value) { return platform::AsciiToUtf16(std::to_string(value)); }

}  // namespace

std::vector<MenuItem> BuildDownloadsMenu(const DownloadsMenuContext& context,
                                         const std::function<std::u16string(std::string_view)>& text) {
  const auto item = [&text](std::string_view key, DownloadsCommand command, bool enabled) {
    return MenuItem{.label = text(key), .command = static_cast<int>(command), .enabled = enabled};
  };
  const bool selected = context.selected;
  return {item("open_file", DownloadsCommand::OpenFile, selected && context.complete && context.fileExists),
          item("copy_link", DownloadsCommand::CopyLink, true),
          MenuItem::Separator(),
          item("add", DownloadsCommand::Add, true),
          item("download", DownloadsCommand::Download, selected && !context.running),
          item("stop", DownloadsCommand::Stop, selected && context.running),
          MenuItem::Separator(),
          item("delete", DownloadsCommand::Delete, selected),
          item("delete_file", DownloadsCommand::DeleteFile, selected && context.fileExists)};
}

std::u16string DownloadDetail(const download::DownloadProgress& progress) {
  if (!progress.errorText.empty()) return progress.errorText;
  // A body of unknown length is whole once it has ended.
  if (progress.totalSize == 0 && progress.complete) return Number(progress.partial) + u" bytes";
  if (progress.totalSize == 0) return Number(progress.partial) + u" / ? bytes";
  if (progress.partial != progress.totalSize) {
    return Number(progress.partial) + u" / " + Number(progress.totalSize) + u" bytes";
  }
  return Number(progress.totalSize) + u" bytes";
}

}  // namespace quelt::ui
