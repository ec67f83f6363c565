#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>

#include "core/ApplicationServices.h"

namespace quelt::ui {

// Sound and vibration on the machine's audio device and vibrator. Each call starts a detached
// thread with copies of what it needs and returns at once.
class DeviceNotifier final : public core::Notifier {
 public:
  // Both block until done; they run on the notification threads, never on the caller's.
  using WavPlayer = std::function<bool(const std::filesystem::path& wavFile)>;
  using Vibrator = std::function<bool(int pulses, uint32_t onMs, uint32_t offMs)>;

  static constexpr uint32_t kPulseOnMs = 250;
  static constexpr uint32_t kPulseOffMs = 250;

  DeviceNotifier();
  // Tests stand in for the devices.
  DeviceNotifier(WavPlayer player, Vibrator vibrator);

  void PlaySound(const std::filesystem::path& wavFile) override;
  void Vibrate(int pulses) override;

 private:
  WavPlayer player_;
  Vibrator vibrator_;
};

}  // namespace quelt::ui
