#pragma once

#include <cstdint>

namespace quelt::core {

// The codes of every happening that crosses threads. Values are fixed: the routing table and
// the protocol engines depend on them. The comment says who posts each; the payload types live
// with their posters.
enum class EventCode : int32_t {
  ConnectNetwork = 1,           // a session or the downloads want a data connection
  NetworkWaiting = 3,           // the connection manager is waiting for a connection
  NetworkConnected = 4,         // a data connection is up
  NetworkLost = 5,              // the data connection is gone
  SettingsChanged = 6,          // a changed Settings to adopt
  Marker = 7,                   // nothing; reaches both sides in order, so it can mark a point in the stream
  ViewRefresh = 8,              // the windows should look again
  DeleteFileRequest = 9,        // a file for the controller to delete
  SetIcqStatus = 10,            // the user's ICQ presence choice
  SetMsnStatus = 11,            // the user's MSN presence choice
  OtherMarker = 13,             // like Marker, for telling two marks apart
  IcqProgressText = 16,         // the ICQ connection-progress line
  MsnProgressText = 17,         // the MSN connection-progress line
  IcqLoginFrame = 25,           // a frame from the ICQ login server
  IcqMainFrame = 26,            // a frame from the ICQ main (BOS) server
  MsnCommandReceived = 27,      // a command from an MSN server
  IcqLoginFrameOut = 28,        // a frame for the ICQ login server
  IcqMainFrameOut = 29,         // a frame for the ICQ main server
  IcqConnectionClosed = 30,     // a login or main connection ended, after the last frame it received
  MsnConnectionClosed = 31,     // an MSN connection ended, after the last command it received
  IcqPacketSent = 32,           // an ICQ frame was written, by serial number
  IcqStartupDone = 34,          // the ICQ account is online
  MsnLoggedIn = 35,             // the MSN server confirmed the first presence
  IcqOwnStatus = 36,            // the ICQ server reported the account's own status
  MsnOwnStatus = 37,            // the MSN server confirmed the account's presence
  IcqConnectionGone = 38,       // the ICQ main connection is gone
  MsnDisconnected = 39,         // the MSN notification connection is gone
  IcqMessageReceived = 40,      // an ICQ message (or authorization request) arrived
  MsnTextReceived = 41,         // an MSN text arrived on a switchboard
  IcqMessageConfirmed = 42,     // an ICQ message was confirmed, by cookie
  MsnTextDelivered = 43,        // an MSN text was acknowledged
  IcqMessageNotConfirmed = 44,  // an ICQ message was not confirmed in time, by cookie
  MsnSendFailed = 45,           // an MSN text could not be delivered
  IcqLoginRefused = 46,         // the ICQ login server refused the sign-in
  IcqAccountChanged = 47,       // the ICQ account settings changed: a new session
  MsnAccountChanged = 48,       // the MSN account settings changed: a new session
  IcqError = 52,                // an ICQ meta-service error
  IcqTyping = 53,               // an ICQ contact's typing state
  IcqUserInfoReceived = 56,     // a user-information reply for the info window
  IcqSearchResult = 58,         // a search result for the search window
  MsnSendTimeout = 61,          // an MSN send attempt's time is up
  MsnSendText = 63,             // an MSN conversation has text to send
  MsnSearchFound = 64,          // an MSN address search found the address
  MsnSearchNotFound = 65,       // an MSN address search found nothing
  DownloadUpdate = 69,          // a download changed

  // Routed by the table, posted by nothing yet: named so that the table stays whole and readable.
  ReservedCore2 = 2,
  ReservedCore12 = 12,
  ReservedUi14 = 14,
  ReservedUi15 = 15,
  ReservedCore33 = 33,
  ReservedUi49 = 49,
  ReservedUi50 = 50,
  ReservedUi51 = 51,
  ReservedCore54 = 54,
  ReservedCore55 = 55,
  ReservedCore57 = 57,
  ReservedCore59 = 59,
  ReservedCore62 = 62,
  ReservedCore66 = 66,
  ReservedCore70 = 70,
  ReservedCore71 = 71,
};

[[nodiscard]] constexpr int32_t ToInt(EventCode code) { return static_cast<int32_t>(code); }

}  // namespace quelt::core
