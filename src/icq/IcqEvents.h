#pragma once

#include <cstdint>
#include <string>

#include "icq/IcqMetaCodec.h"

namespace quelt::icq {

// Payloads of the ICQ engine's events for the windows.

// 42 (confirmed) and 44 (not confirmed within the limit): which message to whom.
struct IcqDeliveryEvent {
  std::string uin;
  uint64_t cookie = 0;  // identifies the message
};

// 53: a contact's typing state (2 typing, 1 stopped).
struct IcqTypingEvent {
  std::string uin;
  uint16_t state = 0;
};

// 56: the information gathered so far for a request (each reply part posts it again).
struct IcqUserInfoEvent {
  uint32_t requestId = 0;
  IcqUserInfo info;
};

// 58: one search result (the last one says so).
struct IcqSearchEvent {
  uint32_t requestId = 0;
  IcqSearchResult result;
};

}  // namespace quelt::icq
