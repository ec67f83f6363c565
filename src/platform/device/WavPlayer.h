#pragma once

#include <filesystem>

namespace quelt::platform {

// Plays a WAV file on the default audio device and returns once it has been heard to the end.
// One sound plays at a time: a call from another thread meanwhile cuts this one short (the
// answer is then false) and plays after it. False, with a log line, also when the file is
// missing or unreadable or no audio device opens. Meant for a thread of its own: any SDL
// state of the calling thread is released on return.
[[nodiscard]] bool PlayWavToEnd(const std::filesystem::path& wavFile);

}  // namespace quelt::platform
