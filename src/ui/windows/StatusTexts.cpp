#include "ui/windows/StatusTexts.h"

#include "core/Application.h"

namespace quelt::ui {
namespace {

using core::EventCode;

bool WantsOnline(const std::shared_ptr<core::ProtocolSession>& session) { return session && session->Presence() != -1; }

}  // namespace

StatusTexts::StatusTexts(core::Application& application)
    : application_(application), icq_(application.Text("offline")), msn_(application.Text("offline")) {}

bool StatusTexts::Set(std::u16string& text, std::u16string value) {
  if (text == value) return false;
  text = std::move(value);
  return true;
}

bool StatusTexts::Recompute() {
  const std::u16string icq =
      icqStatus_ == -1 ? application_.Text("offline") : application_.IcqStatusName(static_cast<uint32_t>(icqStatus_));
  const bool changed = Set(icq_, icq);
  return Set(msn_, application_.MsnStatusName(msnStatus_)) || changed;
}

bool StatusTexts::Follows(core::EventCode code) {
  switch (code) {
    case EventCode::NetworkWaiting:
    case EventCode::NetworkLost:
    case EventCode::IcqProgressText:
    case EventCode::MsnProgressText:
    case EventCode::IcqOwnStatus:
    case EventCode::MsnOwnStatus:
    case EventCode::IcqConnectionGone:
    case EventCode::MsnDisconnected:
    case EventCode::Marker: return true;
    default: return false;
  }
}

bool StatusTexts::Apply(const core::AppEvent& event) {
  switch (event.Code()) {
    case EventCode::NetworkWaiting: {
      bool changed = false;
      if (WantsOnline(application_.IcqSession())) changed = Set(icq_, application_.Text("connecting"));
      if (WantsOnline(application_.MsnSession())) changed = Set(msn_, application_.Text("connecting")) || changed;
      return changed;
    }
    case EventCode::NetworkLost:
      icqStatus_ = -1;
      msnStatus_ = -1;
      return Recompute();
    case EventCode::IcqProgressText:
      if (const auto* text = core::PayloadOf<std::u16string>(event)) return Set(icq_, *text);
      return false;
    case EventCode::MsnProgressText:
      if (const auto* text = core::PayloadOf<std::u16string>(event)) return Set(msn_, *text);
      return false;
    case EventCode::IcqOwnStatus:
      if (const auto* status = core::PayloadOf<uint32_t>(event)) {
        icqStatus_ = *status;
        return Set(icq_, application_.IcqStatusName(*status));
      }
      return false;
    case EventCode::MsnOwnStatus:
      if (const auto* status = core::PayloadOf<int32_t>(event)) {
        msnStatus_ = *status;
        return Set(msn_, application_.MsnStatusName(*status));
      }
      return false;
    case EventCode::IcqConnectionGone: icqStatus_ = -1; return Set(icq_, application_.Text("offline"));
    case EventCode::MsnDisconnected: msnStatus_ = -1; return Set(msn_, application_.Text("offline"));
    case EventCode::Marker:  // the language changed: the same statuses in the new words
      return Recompute();
    default: return false;
  }
}

}  // namespace quelt::ui
