#pragma once

#include <cstdint>
#include <memory>
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

// Keeps the home screen's row up to date with the status strip. Main thread.
class HomeTileLink {
 public:
  void Send(const std::vector<std::shared_ptr<AccountModel>>& accounts, const StatusTexts& status);
  // The messenger closes: the row turns to "Offline", and nothing more is sent.
  void Close();

 private:
  bool linked_ = true;
};

}  // namespace quelt::ui
