#pragma once

#include <cstdint>
#include <string>

#include "core/MessageTime.h"

namespace quelt::icq {

inline constexpr uint8_t kMessageTypePlain = 1;

// A message received from (or, for the history, about) an ICQ contact: what IcqMessageReceived carries.
struct IcqMessage {
  std::string senderUin;
  bool recipientCheck = false;  // a recipient UIN came with it (offline messages)
  std::string recipientUin;
  bool hasStatus = false;  // the sender's status came with it
  uint32_t senderStatus = 0;
  core::MessageTime time;  // local: arrival, or the stored time of an offline message
  uint8_t messageType = kMessageTypePlain;
  uint8_t messageFlags = 0;
  std::u16string text;
};

}  // namespace quelt::icq
