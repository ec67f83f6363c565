#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "ui/model/AccountModel.h"

namespace quelt::ui {

class StatusTexts;

// A contact that the home screen's row counts as online: ICQ online, free for chat or
// invisible after the status word is reduced to its strongest state; MSN online or invisible.
[[nodiscard]] bool CountsAsOnline(Protocol service, int32_t presence);

// The state block for the home screen's row: each account that exists with its contacts
// online (-1 while signed out), contacts with unread messages, and the status strip's text.
[[nodiscard]] std::vector<uint8_t> TileStateBlock(const std::vector<std::shared_ptr<AccountModel>>& accounts,
                                                  const StatusTexts& status);

// Keeps the home screen's row up to date with the status strip. Blocks go out on a thread of
// their own, only the latest one waiting, so a home screen that does not answer never holds up
// the windows. Send and Close on the main thread.
class HomeTileLink {
 public:
  HomeTileLink();
  ~HomeTileLink();
  HomeTileLink(const HomeTileLink&) = delete;
  HomeTileLink& operator=(const HomeTileLink&) = delete;

  void Send(const std::vector<std::shared_ptr<AccountModel>>& accounts, const StatusTexts& status);
  // The messenger closes: the row turns to "Offline", and nothing more is sent. Waits a moment
  // for the row to hear it.
  void Close();

 private:
  void Run(std::stop_token stop);

  bool linked_ = true;
  std::mutex mutex_;
  std::condition_variable_any pending_;
  std::optional<std::vector<uint8_t>> block_;  // under mutex_
  std::jthread sender_;
};

}  // namespace quelt::ui
