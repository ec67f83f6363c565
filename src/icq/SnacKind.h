#pragma once

#include <cstdint>

namespace quelt::icq {

// The small numbers by which the engine recognises commands; 0 for a pair it does not know.
enum class SnacKind : int {
  Unknown = 0,
  ServiceError = 1,               // 0x01,0x01 in
  ClientReady = 2,                // 0x01,0x02 out
  FamilyList = 3,                 // 0x01,0x03 in
  NewServiceRequest = 4,          // 0x01,0x04
  RateLimitsRequest = 5,          // 0x01,0x06 out
  RateLimitClasses = 6,           // 0x01,0x07 in
  RateLimitsAck = 7,              // 0x01,0x08 out
  OwnInfoRequest = 8,             // 0x01,0x0E
  OwnInfo = 9,                    // 0x01,0x0F in
  IdleTime = 10,                  // 0x01,0x11
  MessageOfTheDay = 11,           // 0x01,0x13 in
  ClientVersions = 12,            // 0x01,0x17 out
  ServerVersions = 13,            // 0x01,0x18 in
  SetStatus = 14,                 // 0x01,0x1E out
  LocationRightsRequest = 15,     // 0x02,0x02 out
  LocationRights = 16,            // 0x02,0x03 in
  SetLocationInfo = 17,           // 0x02,0x04 out
  BuddyRightsRequest = 18,        // 0x03,0x02 out
  BuddyRights = 19,               // 0x03,0x03 in
  AddBuddies = 20,                // 0x03,0x04 out
  RemoveBuddies = 21,             // 0x03,0x05
  ContactOnline = 22,             // 0x03,0x0B in
  ContactOffline = 23,            // 0x03,0x0C in
  SetMessageParameters = 24,      // 0x04,0x02 out
  MessageParametersRequest = 25,  // 0x04,0x04 out
  MessageParameters = 26,         // 0x04,0x05 in
  SendMessage = 27,               // 0x04,0x06 out
  IncomingMessage = 28,           // 0x04,0x07 in
  MessageAck = 29,                // 0x04,0x0B out
  ServerMessageAck = 30,          // 0x04,0x0C in
  TypingNotification = 31,        // 0x04,0x14 in/out
  AccountInfoRequest = 32,        // 0x07,0x02
  AccountInfoReply = 33,          // 0x07,0x03 in
  PrivacyRightsRequest = 34,      // 0x09,0x02 out
  PrivacyRights = 35,             // 0x09,0x03 in
  StatisticsInterval = 36,        // 0x0B,0x02 in
  ListRightsRequest = 37,         // 0x13,0x02 out
  ListRights = 38,                // 0x13,0x03 in
  ListCheck = 39,                 // 0x13,0x05 out
  ContactList = 40,               // 0x13,0x06 in
  ActivateList = 41,              // 0x13,0x07 out
  AddItem = 42,                   // 0x13,0x08 out
  UpdateItem = 43,                // 0x13,0x09 out
  DeleteItem = 44,                // 0x13,0x0A out
  ItemAck = 45,                   // 0x13,0x0E in
  ListUnchanged = 46,             // 0x13,0x0F in
  BeginEdit = 47,                 // 0x13,0x11 out
  EndEdit = 48,                   // 0x13,0x12 out
  RequestAuthorization = 49,      // 0x13,0x18 out
  AuthorizationRequest = 50,      // 0x13,0x19 in
  AuthorizationReply = 51,        // 0x13,0x1A out
  AuthorizationReplyIn = 52,      // 0x13,0x1B in
  YouWereAdded = 53,              // 0x13,0x1C in
  MetaError = 54,                 // 0x15,0x01 in
  MetaRequest = 55,               // 0x15,0x02 out
  MetaReply = 56,                 // 0x15,0x03 in
};

inline constexpr int kSnacKindCount = 56;

}  // namespace quelt::icq
