#pragma once

#include <cstdint>

namespace quelt::core {

// The codes of every happening that crosses threads. Values are fixed: the routing table and
// the protocol engines depend on them.
enum class EventCode : int32_t {
  ConnectNetwork = 1,
  NetworkWaiting = 3,
  NetworkConnected = 4,
  NetworkLost = 5,
  SettingsChanged = 6,
  ViewRefresh = 8,
  DeleteFileRequest = 9,
  SetIcqStatus = 10,
  SetMsnStatus = 11,
  IcqProgressText = 16,
  MsnProgressText = 17,
  IcqLoginFrame = 25,
  IcqMainFrame = 26,
  MsnCommandReceived = 27,
  IcqLoginFrameOut = 28,
  IcqMainFrameOut = 29,
  IcqConnectionClosed = 30,  // a login or main connection ended, after the last frame it received
  MsnConnectionClosed = 31,  // an MSN connection ended, after the last command it received
  IcqPacketSent = 32,
  IcqStartupDone = 34,
  MsnLoggedIn = 35,
  IcqOwnStatus = 36,
  MsnOwnStatus = 37,
  IcqConnectionGone = 38,
  MsnDisconnected = 39,
  IcqMessageReceived = 40,
  MsnTextReceived = 41,
  IcqMessageConfirmed = 42,
  MsnTextDelivered = 43,
  IcqMessageNotConfirmed = 44,
  MsnSendFailed = 45,
  IcqLoginRefused = 46,
  IcqAccountChanged = 47,
  MsnAccountChanged = 48,
  IcqError = 52,
  IcqTyping = 53,
  IcqUserInfoReceived = 56,  // a user-information reply for the info window
  IcqSearchResult = 58,      // a search result for the search window
  MsnSendTimeout = 61,
  MsnSendText = 63,
  MsnSearchFound = 64,
  MsnSearchNotFound = 65,
  DownloadUpdate = 69,
};

[[nodiscard]] constexpr int32_t ToInt(EventCode code) { return static_cast<int32_t>(code); }

}  // namespace quelt::core
