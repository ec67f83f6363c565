#pragma once

#include <cstdint>

namespace quelt::icq {

// The small numbers by which the engine recognises commands; 0 for a pair it does not know. The
// family and subtype of each are in the registry's table.
enum class SnacKind : int {
  Unknown = 0,
  ServiceError = 1,
  ClientReady = 2,
  FamilyList = 3,
  NewServiceRequest = 4,
  RateLimitsRequest = 5,
  RateLimitClasses = 6,
  RateLimitsAck = 7,
  OwnInfoRequest = 8,
  OwnInfo = 9,
  IdleTime = 10,
  MessageOfTheDay = 11,
  ClientVersions = 12,
  ServerVersions = 13,
  SetStatus = 14,
  LocationRightsRequest = 15,
  LocationRights = 16,
  SetLocationInfo = 17,
  BuddyRightsRequest = 18,
  BuddyRights = 19,
  AddBuddies = 20,
  RemoveBuddies = 21,
  ContactOnline = 22,
  ContactOffline = 23,
  SetMessageParameters = 24,
  MessageParametersRequest = 25,
  MessageParameters = 26,
  SendMessage = 27,
  IncomingMessage = 28,
  MessageAck = 29,
  ServerMessageAck = 30,
  TypingNotification = 31,
  AccountInfoRequest = 32,
  AccountInfoReply = 33,
  PrivacyRightsRequest = 34,
  PrivacyRights = 35,
  StatisticsInterval = 36,
  ListRightsRequest = 37,
  ListRights = 38,
  ListCheck = 39,
  ContactList = 40,
  ActivateList = 41,
  AddItem = 42,
  UpdateItem = 43,
  DeleteItem = 44,
  ItemAck = 45,
  ListUnchanged = 46,
  BeginEdit = 47,
  EndEdit = 48,
  RequestAuthorization = 49,
  AuthorizationRequest = 50,
  AuthorizationReply = 51,
  AuthorizationReplyIn = 52,
  YouWereAdded = 53,
  MetaError = 54,
  MetaRequest = 55,
  MetaReply = 56,
};

inline constexpr int kSnacKindCount = 56;

}  // namespace quelt::icq
