#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "core/EventCode.h"

namespace quelt::core {

class Settings;

// A happening that crosses threads: a code and, for most codes, a payload. Events are shared
// read-only once posted; every queue and listener holds its own reference.
class AppEvent {
 public:
  explicit AppEvent(EventCode code) : code_(code) {}
  virtual ~AppEvent() = default;
  AppEvent(const AppEvent&) = delete;
  AppEvent& operator=(const AppEvent&) = delete;

  [[nodiscard]] EventCode Code() const { return code_; }

 private:
  const EventCode code_;
};

using AppEventPtr = std::shared_ptr<const AppEvent>;

template <class T>
class PayloadEvent final : public AppEvent {
 public:
  PayloadEvent(EventCode code, T payload) : AppEvent(code), payload_(std::move(payload)) {}
  [[nodiscard]] const T& Payload() const { return payload_; }

 private:
  const T payload_;
};

// Payloads of the codes the application core itself knows.
struct StatusPayload {  // SetIcqStatus, SetMsnStatus
  int32_t status = 0;
  uint8_t flag = 0;
};

struct ErrorPayload {  // IcqError
  uint16_t first = 0;
  uint16_t second = 0;
  std::u16string text = u"Unknown ICQ-specific error";
};

using StatusEvent = PayloadEvent<StatusPayload>;
using TextEvent = PayloadEvent<std::u16string>;                 // progress texts
using SettingsEvent = PayloadEvent<std::shared_ptr<Settings>>;  // SettingsChanged
using FilePathEvent = PayloadEvent<std::filesystem::path>;      // DeleteFileRequest
using ErrorEvent = PayloadEvent<ErrorPayload>;

[[nodiscard]] inline AppEventPtr MakeEvent(EventCode code) { return std::make_shared<const AppEvent>(code); }

template <class T>
[[nodiscard]] AppEventPtr MakeEvent(EventCode code, T payload) {
  return std::make_shared<const PayloadEvent<T>>(code, std::move(payload));
}

// The payload of an event of kind PayloadEvent<T>, or nullptr when it carries something else.
template <class T>
[[nodiscard]] const T* PayloadOf(const AppEvent& event) {
  const auto* typed = dynamic_cast<const PayloadEvent<T>*>(&event);
  return typed != nullptr ? &typed->Payload() : nullptr;
}

}  // namespace quelt::core
