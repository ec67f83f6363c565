#include "ui/windows/HomeTileLink.h"

#include <filesystem>
#include <new>
#include <optional>

#include "core/SingleInstance.h"
#include "core/StatusNames.h"
#include "homeplugin/StateBlock.h"
#include "platform/Log.h"
#include "platform/Port.h"
#include "ui/windows/StatusTexts.h"

namespace quelt::ui {
namespace {

static_assert(core::kMainWindowClass == home::kMessengerPortClass);

// The row's listener answers at once; a home screen that does not is not waited for long.
constexpr uint32_t kSendTimeoutMs = 500;

home::ServiceTileState ServiceState(const AccountModel& account, const std::u16string& text) {
  home::ServiceTileState state{.enabled = true, .online = 0, .unread = 0, .text = text};
  for (const auto& contact : account.Contacts()) {
    if (CountsAsOnline(account.Service(), contact.presence)) ++state.online;
    if (contact.unread) ++state.unread;
  }
  if (!account.SignedIn()) state.online = -1;
  return state;
}

void SendToRow(uint32_t tag, std::vector<uint8_t> bytes) {
  const platform::PortMessage message{
      .kind = platform::PortMessageKind::CopyData, .tag = tag, .bytes = std::move(bytes)};
  (void)platform::SendToPort(home::kTileListenerClass, message, kSendTimeoutMs);
}

}  // namespace

bool CountsAsOnline(Protocol service, int32_t presence) {
  if (service == Protocol::Msn) return presence == 1 || presence == 8;
  if (presence == -1) return false;
  const auto key = core::IcqStatusKey(static_cast<uint32_t>(presence));
  return key == "online" || key == "free_for_chat" || key == "invisible";
}

std::vector<uint8_t> TileStateBlock(const std::vector<std::shared_ptr<AccountModel>>& accounts,
                                    const StatusTexts& status) {
  std::optional<home::ServiceTileState> icq;
  std::optional<home::ServiceTileState> msn;
  for (const auto& account : accounts) {
    if (!account) continue;
    if (account->Service() == Protocol::Icq) {
      icq = ServiceState(*account, status.Icq());
    } else {
      msn = ServiceState(*account, status.Msn());
    }
  }
  return home::EncodeStateBlock(icq, msn);
}

HomeTileLink::HomeTileLink()
    : sender_([this](std::stop_token stop) {
        try {
          Run(stop);
        } catch (const std::bad_alloc&) {
          platform::Log("out of memory");
        }
      }) {}

HomeTileLink::~HomeTileLink() {
  sender_.request_stop();
  if (sender_.joinable()) sender_.join();
}

void HomeTileLink::Send(const std::vector<std::shared_ptr<AccountModel>>& accounts, const StatusTexts& status) {
  if (!linked_) return;
  // A stat, not a connect: most of the time no home screen shows the row.
  std::error_code error;
  if (!std::filesystem::exists(platform::PortPath(home::kTileListenerClass), error)) return;
  {
    std::lock_guard lock(mutex_);
    block_ = TileStateBlock(accounts, status);
  }
  pending_.notify_one();
}

void HomeTileLink::Run(std::stop_token stop) {
  while (true) {
    std::vector<uint8_t> block;
    {
      std::unique_lock lock(mutex_);
      if (!pending_.wait(lock, stop, [this] { return block_.has_value(); })) return;
      block = std::move(*block_);
      block_.reset();
    }
    SendToRow(home::kStateBlockTag, std::move(block));
  }
}

void HomeTileLink::Close() {
  if (!linked_) return;
  linked_ = false;
  // A block still on its way must not arrive after the goodbye.
  sender_.request_stop();
  if (sender_.joinable()) sender_.join();
  SendToRow(home::kMessengerGoneTag, {});
}

}  // namespace quelt::ui
