#include "core/EventRouting.h"

#include <algorithm>
#include <array>

namespace quelt::core {
namespace {

using enum EventCode;

constexpr std::array kCoreOnly = {
    ConnectNetwork,  ReservedCore2,       DeleteFileRequest,   SetIcqStatus,       SetMsnStatus,
    ReservedCore12,  IcqLoginFrame,       IcqMainFrame,        MsnCommandReceived, IcqLoginFrameOut,
    IcqMainFrameOut, IcqConnectionClosed, MsnConnectionClosed, IcqPacketSent,      ReservedCore33,
    ReservedCore54,  ReservedCore55,      ReservedCore57,      ReservedCore59,     MsnSendTimeout,
    ReservedCore62,  MsnSendText,         ReservedCore66,      ReservedCore70,     ReservedCore71,
};
constexpr std::array kUiOnly = {
    ViewRefresh,   ReservedUi14, ReservedUi15,       IcqProgressText,     MsnProgressText,
    IcqOwnStatus,  MsnOwnStatus, IcqMessageReceived, IcqMessageConfirmed, IcqMessageNotConfirmed,
    MsnSendFailed, ReservedUi49, ReservedUi50,       ReservedUi51,
};

constexpr bool Contains(const auto& table, EventCode code) {
  return std::find(table.begin(), table.end(), code) != table.end();
}

}  // namespace

EventRoute RouteOf(EventCode code) {
  if (Contains(kCoreOnly, code)) return {.core = true, .ui = false};
  if (Contains(kUiOnly, code)) return {.core = false, .ui = true};
  return {.core = true, .ui = true};
}

}  // namespace quelt::core
