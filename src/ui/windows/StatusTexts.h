#pragma once

#include <cstdint>
#include <string>

#include "core/AppEvent.h"

namespace quelt::core {
class Application;
}

namespace quelt::ui {

// The two lines of the status pane, "ICQ ..." and "MSN ...": the account's presence, or the
// phase of its connection while it signs in. Main thread.
class StatusTexts {
 public:
  explicit StatusTexts(core::Application& application);

  // The events that update the two lines.
  [[nodiscard]] static bool Follows(core::EventCode code);
  // Follows an event; true when a text changed.
  bool Apply(const core::AppEvent& event);

  [[nodiscard]] const std::u16string& Icq() const { return icq_; }
  [[nodiscard]] const std::u16string& Msn() const { return msn_; }

 private:
  bool Set(std::u16string& text, std::u16string value);
  bool Recompute();

  core::Application& application_;
  std::u16string icq_;
  std::u16string msn_;
  int64_t icqStatus_ = -1;  // the last presence the server confirmed; -1 offline
  int32_t msnStatus_ = -1;
};

}  // namespace quelt::ui
