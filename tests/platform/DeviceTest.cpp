#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdint>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/device/Vibrator.h"
#include "platform/device/WavPlayer.h"
#include "support/TempFolder.h"
#include "ui/shell/DeviceNotifier.h"

namespace quelt::platform {
namespace {

// A mono 16-bit 8 kHz WAV file of silence.
std::string SilentWav(uint32_t milliseconds) {
  const uint32_t dataBytes = 8000 * 2 * milliseconds / 1000;
  std::string bytes;
  auto put = [&bytes](uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>(value >> (8 * i) & 0xFF);
  };
  bytes += "RIFF";
  put(36 + dataBytes, 4);
  bytes += "WAVEfmt ";
  put(16, 4), put(1, 2), put(1, 2), put(8000, 4), put(16000, 4), put(2, 2), put(16, 2);  // PCM, mono
  bytes += "data";
  put(dataBytes, 4);
  return bytes + std::string(dataBytes, '\0');
}

// How long a sound took to play to its end; nothing when it was not heard to the end.
std::optional<uint32_t> TimedPlay(const std::filesystem::path& file) {
  const uint32_t start = Ticks();
  if (!PlayWavToEnd(file)) return std::nullopt;
  return Ticks() - start;
}

TEST(WavPlayerTest, PlaysToTheEndAndANewerSoundCutsAnOlderOneShort) {
  const test::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  const test::TempFolder folder;
  test::WriteFile(folder / "long.wav", SilentWav(1000));
  test::WriteFile(folder / "short.wav", SilentWav(200));
  auto other = std::async(std::launch::async, TimedPlay, folder / "long.wav");
  const std::optional<uint32_t> mine = TimedPlay(folder / "long.wav");
  const std::optional<uint32_t> theirs = other.get();
  ASSERT_NE(mine.has_value(), theirs.has_value());
  EXPECT_GE(mine.value_or(0) + theirs.value_or(0), 1000u);
  EXPECT_GE(TimedPlay(folder / "short.wav").value_or(0), 200u);
}

TEST(WavPlayerTest, RefusesMissingAndDamagedFiles) {
  const test::ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  const test::TempFolder folder;
  test::WriteFile(folder / "garbage.wav", "this is no sound at all");
  test::WriteFile(folder / "empty.wav", "");
  test::WriteFile(folder / "cut.wav", SilentWav(50).substr(0, 30));
  for (const char* name : {"missing.wav", "garbage.wav", "empty.wav", "cut.wav"}) {
    EXPECT_FALSE(PlayWavToEnd(folder / name)) << name;
  }
}

TEST(VibratorTest, FindsNoVibratorAmongFilesThatAreNoRumbleDevices) {
  const test::TempFolder folder;
  test::WriteFile(folder / "event0", "not a device");
  ASSERT_EQ(symlink("/dev/null", (folder / "event1").c_str()), 0);
  test::WriteFile(folder / "event2x" / "inner", "");
  EXPECT_FALSE(VibratePulses(2, 250, 250, folder.Path()));
  EXPECT_FALSE(VibratePulses(2, 250, 250, folder / "missing"));
}

// The fakes block or record through shared state, since the notifier's threads may outlive a test.
struct Recorder {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> calls;
  void Add(std::string call) {
    const std::lock_guard lock(mutex);
    calls.push_back(std::move(call));
    changed.notify_all();
  }
  std::vector<std::string> Await(size_t count) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return calls.size() >= count; });
    return calls;
  }
};

TEST(DeviceNotifierTest, ReturnsWhileTheDevicesWorkOnThreadsOfTheirOwn) {
  auto recorder = std::make_shared<Recorder>();
  std::promise<void> release;
  const std::shared_future<void> released = release.get_future().share();
  ui::DeviceNotifier notifier(
      [recorder, released](const std::filesystem::path& file) {
        released.wait();
        recorder->Add("play " + file.string());
        return true;
      },
      [recorder](int pulses, uint32_t onMs, uint32_t offMs) {
        recorder->Add("vibrate " + std::to_string(pulses) + "x" + std::to_string(onMs) + "/" + std::to_string(offMs));
        return true;
      });
  notifier.PlaySound("Sounds/Message.wav");  // the player is still blocked when this returns
  notifier.Vibrate(0);
  notifier.Vibrate(3);
  EXPECT_EQ(recorder->Await(1), std::vector<std::string>{"vibrate 3x250/250"});
  release.set_value();
  EXPECT_EQ(recorder->Await(2), (std::vector<std::string>{"vibrate 3x250/250", "play Sounds/Message.wav"}));
}

}  // namespace
}  // namespace quelt::platform
