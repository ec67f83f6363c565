#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "icq/FlapFrame.h"
#include "icq/IcqMessage.h"
#include "icq/IcqMessageCodec.h"

namespace quelt::core {
class Application;
class Conversation;
}  // namespace quelt::core

namespace quelt::icq {

class IcqContactList;

// Messages both ways: sending with the encoding decision and delivery tracking (server
// acknowledgement by cookie, or the frame's write by serial, within a time limit), receiving on
// channels 1, 2 and 4 and from the offline store, typing notices, and the delivery of a received
// message (history, notification, events). Thread-safe: sends come from the user-interface
// thread, everything received from the hub thread.
class IcqMessaging {
 public:
  enum class SendResult { Sent, CantSend, Offline };
  struct Sending {
    SendResult result = SendResult::Offline;
    uint64_t cookie = 0;  // when sent: the message's identity in its confirmation or time-out
  };

  struct Hooks {
    std::function<void(FramePtr)> sendOnBos;
    std::function<bool()> isOnline;
    std::function<std::shared_ptr<core::Conversation>(const std::string& uin)> conversationWith;
  };

  IcqMessaging(core::Application& application, std::string ownUin, IcqContactList& list, Hooks hooks,
               uint32_t deliveryLimitMs);
  ~IcqMessaging();
  IcqMessaging(const IcqMessaging&) = delete;
  IcqMessaging& operator=(const IcqMessaging&) = delete;

  // Sends a message and stores it in the history; the outcome arrives as IcqMessageConfirmed or IcqMessageNotConfirmed with the
  // cookie returned here. CantSend when the text has no faithful encoding for this contact
  // (nothing is sent).
  [[nodiscard]] Sending SendMessage(std::string_view uin, std::u16string_view text);
  // The user's typing state, only to a contact that is not offline. False when not sent.
  bool SendTyping(std::string_view uin, bool typing);

  // Hub thread.
  void OnSnac(const SnacCommand& snac);
  void OnFrameWritten(uint64_t serial);
  // A new start-up: the offline-message bookkeeping begins again.
  void OnSignedOn();
  // Ends the watchdog thread; nothing is reported afterwards. Part of the session's end.
  void Stop();

  // The delivery of a received message, whatever its road (tests and the offline store use it).
  void Deliver(IcqMessage message);

 private:
  struct Pending {
    std::string uin;
    uint64_t cookie = 0;
    std::chrono::steady_clock::time_point deadline;
  };

  void OnIncoming(const SnacCommand& snac);
  void OnMetaReply(const SnacCommand& snac);
  void Complete(std::map<uint64_t, Pending>& table, uint64_t key);
  void RunWatchdog();

  core::Application& application_;
  const std::string ownUin_;
  IcqContactList& list_;
  const Hooks hooks_;
  const std::chrono::milliseconds deliveryLimit_;

  std::mutex mutex_;  // the pending tables and the offline flag
  std::condition_variable changed_;
  std::map<uint64_t, Pending> byCookie_;  // waiting for the server's acknowledgement
  std::map<uint64_t, Pending> bySerial_;  // waiting for their frame to be written
  bool offlineMessagesReceived_ = false;
  bool stopping_ = false;
  std::thread watchdog_;
};

}  // namespace quelt::icq
