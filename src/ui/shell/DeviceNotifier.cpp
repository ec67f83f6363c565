#include "ui/shell/DeviceNotifier.h"

#include <exception>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/Log.h"
#include "platform/device/Vibrator.h"
#include "platform/device/WavPlayer.h"

namespace quelt::ui {
namespace {

// Copies the function and its arguments into a thread of their own and lets it go. Nothing
// escapes: neither a thread that cannot start nor a failure inside it may end the program.
template <typename Function, typename... Arguments>
void RunDetached(const char* what, const Function& function, const Arguments&... arguments) noexcept {
  try {
    std::thread(
        [what](Function work, Arguments... copies) {
          try {
            (void)work(copies...);
          } catch (const std::bad_alloc&) {
            platform::Log("%s: out of memory", what);
          } catch (const std::exception& error) {
            platform::Log("%s: %s", what, error.what());
          }
        },
        function, arguments...)
        .detach();
  } catch (const std::bad_alloc&) {
    platform::Log("%s: out of memory", what);
  } catch (const std::system_error& error) {
    platform::Log("%s: no thread (%s)", what, error.what());
  }
}

}  // namespace

DeviceNotifier::DeviceNotifier()
    : DeviceNotifier(platform::PlayWavToEnd, [](int pulses, uint32_t onMs, uint32_t offMs) {
        return platform::VibratePulses(pulses, onMs, offMs);
      }) {}

DeviceNotifier::DeviceNotifier(WavPlayer player, Vibrator vibrator)
    : player_(std::move(player)), vibrator_(std::move(vibrator)) {}

void DeviceNotifier::PlaySound(const std::filesystem::path& wavFile) {
  if (player_) RunDetached("sound", player_, wavFile);
}

void DeviceNotifier::Vibrate(int pulses) {
  if (pulses > 0 && vibrator_) RunDetached("vibration", vibrator_, pulses, kPulseOnMs, kPulseOffMs);
}

}  // namespace quelt::ui
