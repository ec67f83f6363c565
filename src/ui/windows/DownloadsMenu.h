#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/toolkit/Menu.h"

namespace quelt::download {
struct DownloadProgress;
}

namespace quelt::ui {

enum class DownloadsCommand {
  OpenFile = 1,
  CopyLink,
  Add,
  Download,
  Stop,
  Delete,
  DeleteFile,
};

// What the downloads menu greys items by.
struct DownloadsMenuContext {
  bool selected = false;  // a task is selected
  bool running = false;
  bool complete = false;
  bool fileExists = false;
};

[[nodiscard]] std::vector<MenuItem> BuildDownloadsMenu(const DownloadsMenuContext& context,
                                                       const std::function<std::u16string(std::string_view)>& text);

// The second line of a task's row: its failure, or how much has come of how much.
[[nodiscard]] std::u16string DownloadDetail(const download::DownloadProgress& progress);

}  // namespace quelt::ui
