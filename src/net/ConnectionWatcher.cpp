#include "net/ConnectionWatcher.h"

#include "core/Application.h"

namespace quelt::net {
namespace {

bool IsWaiting(uint32_t status) { return status == 0x25 || status == 0x26 || (status >= 0x40 && status <= 0x42); }

bool IsFailure(uint32_t status) {
  return status == 0x00 || (status >= 0x20 && status <= 0x24) || (status >= 0x27 && status <= 0x2B);
}

}  // namespace

uint32_t ConnectionWatcher::StateForStatus(uint32_t status) {
  if (status == kConnected) return 1;
  if (status == 0x80 || status == 0x81) return 4;
  if (IsWaiting(status)) return 2;
  if (IsFailure(status)) return 8;
  return 0;
}

void ConnectionWatcher::RequestConnection(core::Application& application) {
  // The desktop's own network needs no bringing up: report it connected straight away.
  OnStatus(application, kConnected);
}

void ConnectionWatcher::OnStatus(core::Application& application, uint32_t status) {
  application.SetNetworkStateBits(StateForStatus(status));
  {
    std::lock_guard lock(mutex_);
    if (status == lastStatus_) return;
    lastStatus_ = status;
  }
  if (status == kConnected) {
    application.PostEvent(core::MakeEvent(core::EventCode::NetworkConnected));
  } else if (IsWaiting(status)) {
    application.PostEvent(core::MakeEvent(core::EventCode::NetworkWaiting));
  } else if (IsFailure(status)) {
    application.PostEvent(core::MakeEvent(core::EventCode::NetworkLost));
  }
}

}  // namespace quelt::net
