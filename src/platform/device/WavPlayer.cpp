#include "platform/device/WavPlayer.h"

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/Clock.h"
#include "platform/Log.h"

namespace quelt::platform {
namespace {

constexpr uint32_t kPollMs = 20;
// How much longer than the sound itself a device may take before we stop waiting for it.
constexpr uint32_t kStallMarginMs = 2000;

// One sound at a time, as on the handset: a new sound cuts short the one playing. This also
// keeps every use of SDL audio, whose start, stop and device list are not safe from several
// threads at once, on one thread at a time; and some drivers open only one device anyway.
class SoundTurns {
 public:
  // Waits until no other sound holds the audio; nothing when a newer sound came meanwhile.
  std::optional<uint64_t> Take() {
    std::unique_lock lock(mutex_);
    const uint64_t turn = ++latest_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return !playing_ || latest_ != turn; });
    if (latest_ != turn) return std::nullopt;
    playing_ = true;
    return turn;
  }
  // True when a newer sound asked for the audio within waitMs.
  bool AwaitNewer(uint64_t turn, uint32_t waitMs) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(waitMs), [&] { return latest_ != turn; });
  }
  void Give() {
    const std::lock_guard lock(mutex_);
    playing_ = false;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t latest_ = 0;
  bool playing_ = false;
};

// SDL keeps its hints and subsystem counts in unguarded globals: loading a file on one thread
// while another starts or stops audio is a data race, so those calls take turns here.
std::mutex& SdlGlobalsMutex() {
  static std::mutex mutex;
  return mutex;
}

// Shared with every playing thread, so that it outlives them even when the program ends first.
std::shared_ptr<SoundTurns> Turns() {
  static const auto turns = std::make_shared<SoundTurns>();
  return turns;
}

// SDL audio for the lifetime of the object, a turn taken.
class AudioTurn {
 public:
  AudioTurn(std::shared_ptr<SoundTurns> turns, uint64_t turn) : turns_(std::move(turns)), turn_(turn) {
    const std::lock_guard lock(SdlGlobalsMutex());
    started_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  }
  ~AudioTurn() {
    if (started_) {
      const std::lock_guard lock(SdlGlobalsMutex());
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    turns_->Give();
  }
  AudioTurn(const AudioTurn&) = delete;
  AudioTurn& operator=(const AudioTurn&) = delete;

  [[nodiscard]] bool Started() const { return started_; }
  [[nodiscard]] bool AwaitNewer(uint32_t waitMs) const { return turns_->AwaitNewer(turn_, waitMs); }

 private:
  std::shared_ptr<SoundTurns> turns_;
  uint64_t turn_;
  bool started_ = false;
};

class AudioDevice {
 public:
  explicit AudioDevice(const SDL_AudioSpec& format) {
    // With no changes allowed SDL converts the samples to whatever the hardware wants.
    id_ = SDL_OpenAudioDevice(nullptr, 0, &format, nullptr, 0);
  }
  ~AudioDevice() {
    if (id_ != 0) SDL_CloseAudioDevice(id_);
  }
  AudioDevice(const AudioDevice&) = delete;
  AudioDevice& operator=(const AudioDevice&) = delete;

  [[nodiscard]] SDL_AudioDeviceID Id() const { return id_; }

 private:
  SDL_AudioDeviceID id_ = 0;
};

// SDL keeps an error text per thread, which a thread SDL did not start has to release itself.
struct ThreadStateRelease {
  ThreadStateRelease() = default;
  ~ThreadStateRelease() { SDL_TLSCleanup(); }
  ThreadStateRelease(const ThreadStateRelease&) = delete;
  ThreadStateRelease& operator=(const ThreadStateRelease&) = delete;
};

struct WavFree {
  void operator()(Uint8* samples) const { SDL_FreeWAV(samples); }
};

// About 20 ms per device buffer: the wait for the last one stays short, and the device does not
// run dry.
Uint16 BufferSamplesFor(int frequency) {
  Uint16 samples = 256;
  while (samples < 4096 && samples * 50 < frequency) samples = static_cast<Uint16>(samples * 2);
  return samples;
}

}  // namespace

bool PlayWavToEnd(const std::filesystem::path& wavFile) {
  const ThreadStateRelease threadState;
  SDL_AudioSpec format{};
  Uint8* rawSamples = nullptr;
  Uint32 length = 0;
  {
    const std::lock_guard lock(SdlGlobalsMutex());
    if (SDL_LoadWAV(wavFile.c_str(), &format, &rawSamples, &length) == nullptr) {
      Log("sound: cannot load %s (%s)", wavFile.c_str(), SDL_GetError());
      return false;
    }
  }
  const std::unique_ptr<Uint8, WavFree> samples(rawSamples);
  const uint32_t frameBytes = format.channels * (SDL_AUDIO_BITSIZE(format.format) / 8u);
  if (format.freq <= 0 || frameBytes == 0) {
    Log("sound: %s has no playable format", wavFile.c_str());
    return false;
  }
  std::shared_ptr<SoundTurns> turns = Turns();
  const std::optional<uint64_t> turn = turns->Take();
  if (!turn) {
    Log("sound: %s gave way to a newer sound", wavFile.c_str());
    return false;
  }
  const AudioTurn audio(std::move(turns), *turn);
  if (!audio.Started()) {
    Log("sound: no audio (%s)", SDL_GetError());
    return false;
  }
  format.samples = BufferSamplesFor(format.freq);
  const AudioDevice device(format);
  if (device.Id() == 0) {
    Log("sound: no audio device (%s)", SDL_GetError());
    return false;
  }
  if (SDL_QueueAudio(device.Id(), samples.get(), length) != 0) {
    Log("sound: cannot queue %s (%s)", wavFile.c_str(), SDL_GetError());
    return false;
  }
  const uint64_t durationMs = uint64_t{length} * 1000u / frameBytes / static_cast<uint32_t>(format.freq);
  const uint32_t bufferMs = format.samples * 1000u / static_cast<uint32_t>(format.freq) + 1;
  const uint64_t limitMs = durationMs + bufferMs + kStallMarginMs;
  const uint32_t start = Ticks();
  SDL_PauseAudioDevice(device.Id(), 0);
  while (SDL_GetQueuedAudioSize(device.Id()) > 0) {
    if (Ticks() - start > limitMs) {
      Log("sound: the audio device stalled playing %s", wavFile.c_str());
      return false;
    }
    if (audio.AwaitNewer(kPollMs)) {
      Log("sound: %s cut short by a newer sound", wavFile.c_str());
      return false;
    }
  }
  // The queue empties when the last buffer goes to the device, which plays it (and perhaps the
  // one before) afterwards. A newer sound need not wait for that tail.
  (void)audio.AwaitNewer(2 * bufferMs);
  return true;
}

}  // namespace quelt::platform
