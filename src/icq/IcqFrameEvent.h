#pragma once

#include <cstdint>

#include "core/AppEvent.h"
#include "icq/FlapFrame.h"

namespace quelt::icq {

// The payload of the frame events: IcqLoginFrame and IcqMainFrame carry a frame received on the
// login or main connection, IcqLoginFrameOut and IcqMainFrameOut a frame to write there. `connection` names the connection a received
// frame came from, so that frames of a connection already replaced are not taken for the new
// one's.
struct IcqFrameEvent {
  FramePtr frame;
  uint64_t connection = 0;
};

[[nodiscard]] inline core::AppEventPtr MakeFrameEvent(core::EventCode code, FramePtr frame, uint64_t connection = 0) {
  return core::MakeEvent(code, IcqFrameEvent{std::move(frame), connection});
}

}  // namespace quelt::icq
