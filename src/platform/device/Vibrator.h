#pragma once

#include <cstdint>
#include <filesystem>

namespace quelt::platform {

// Runs the vibrator `count` times, each pulse onMs long with offMs between pulses, and returns
// when done. The vibrator is the first event device under inputFolder that can rumble; without
// one (or without permission to use it) nothing happens and the answer is false. Any thread.
[[nodiscard]] bool VibratePulses(int count, uint32_t onMs, uint32_t offMs,
                                 const std::filesystem::path& inputFolder = "/dev/input");

}  // namespace quelt::platform
