#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/MessageTime.h"
#include "msn/MsnConnection.h"
#include "msn/MsnConversation.h"

namespace quelt::msn {

// MsnTextReceived (41): a text message from a participant.
struct MsnTextReceivedEvent {
  int switchboard = 0;
  std::u16string sender;
  std::u16string text;
  std::shared_ptr<MsnConversation> conversation;
};

// MsnTextDelivered (43): the switchboard acknowledged the user's message.
struct MsnTextDeliveredEvent {
  int switchboard = 0;
  std::shared_ptr<MsnConversation> conversation;
  core::MessageTime time;
  std::u16string text;
};

// MsnSendFailed (45): the chat window says the message could not be sent.
struct MsnSendFailedEvent {
  std::u16string conversation;  // its name
};

// MsnSendTimeout (61): the check of one send attempt, a while after it.
struct MsnSendTimeoutEvent {
  std::u16string conversation;  // its name when the attempt was made
  uint32_t attempt = 0;
  // The conversation itself: a one-to-one conversation that grew has another name by now.
  std::weak_ptr<MsnConversation> target;
};

// MsnSendText (63): a text message to build and send on the hub thread.
struct MsnSendTextEvent {
  std::shared_ptr<MsnConnection> connection;
  int transactionId = 0;
  char ack = 'A';
  std::u16string text;
};

}  // namespace quelt::msn
