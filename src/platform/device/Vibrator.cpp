#include "platform/device/Vibrator.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/Clock.h"
#include "platform/Log.h"
#include "platform/UniqueFd.h"

namespace quelt::platform {
namespace {

constexpr size_t kBitsPerLong = sizeof(unsigned long) * CHAR_BIT;
constexpr uint16_t kMagnitude = 0xC000;

// The event devices of the folder by number, so that event2 comes before event10.
std::vector<std::pair<int, std::filesystem::path>> EventDevices(const std::filesystem::path& folder) {
  std::vector<std::pair<int, std::filesystem::path>> devices;
  std::error_code error;
  for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    constexpr std::string_view kPrefix = "event";
    if (!name.starts_with(kPrefix) || name.size() == kPrefix.size()) continue;
    int number = 0;
    const char* last = name.data() + name.size();
    const auto [stop, failure] = std::from_chars(name.data() + kPrefix.size(), last, number);
    if (failure == std::errc{} && stop == last) devices.emplace_back(number, entry->path());
  }
  std::sort(devices.begin(), devices.end());
  return devices;
}

bool CanRumble(int fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) return false;
  unsigned long bits[FF_MAX / kBitsPerLong + 1] = {};
  if (ioctl(fd, EVIOCGBIT(EV_FF, sizeof bits), bits) < 0) return false;
  return (bits[FF_RUMBLE / kBitsPerLong] >> (FF_RUMBLE % kBitsPerLong) & 1u) != 0;
}

// Devices we may not open are passed over: the vibrator is the first one that we can use.
UniqueFd OpenVibrator(const std::filesystem::path& folder) {
  for (const auto& [number, path] : EventDevices(folder)) {
    UniqueFd fd(open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (fd.Valid() && CanRumble(fd.Get())) return fd;
  }
  return {};
}

bool SetPlaying(int fd, int16_t effectId, bool playing) {
  input_event event{};
  event.type = EV_FF;
  event.code = static_cast<uint16_t>(effectId);
  event.value = playing ? 1 : 0;
  ssize_t written;
  do {
    written = write(fd, &event, sizeof event);
  } while (written < 0 && errno == EINTR);
  return written == static_cast<ssize_t>(sizeof event);
}

// A rumble effect uploaded to the device for as long as the object lives.
class RumbleEffect {
 public:
  RumbleEffect(int fd, uint32_t lengthMs) : fd_(fd) {
    ff_effect effect{};
    effect.type = FF_RUMBLE;
    effect.id = -1;
    effect.u.rumble.strong_magnitude = kMagnitude;
    effect.u.rumble.weak_magnitude = kMagnitude;
    effect.replay.length = static_cast<uint16_t>(std::min<uint32_t>(lengthMs, 0xFFFF));
    if (ioctl(fd_, EVIOCSFF, &effect) == 0) id_ = effect.id;
  }
  ~RumbleEffect() {
    if (id_ >= 0) ioctl(fd_, EVIOCRMFF, static_cast<int>(id_));
  }
  RumbleEffect(const RumbleEffect&) = delete;
  RumbleEffect& operator=(const RumbleEffect&) = delete;

  [[nodiscard]] int16_t Id() const { return id_; }

 private:
  int fd_;
  int16_t id_ = -1;
};

}  // namespace

bool VibratePulses(int count, uint32_t onMs, uint32_t offMs, const std::filesystem::path& inputFolder) {
  if (count <= 0) return true;
  const UniqueFd device = OpenVibrator(inputFolder);
  if (!device.Valid()) {
    Log("vibration: no usable rumble device under %s", inputFolder.c_str());
    return false;
  }
  const RumbleEffect effect(device.Get(), onMs);
  if (effect.Id() < 0) {
    Log("vibration: the device refused the rumble effect (errno %d)", errno);
    return false;
  }
  for (int pulse = 0; pulse < count; ++pulse) {
    if (pulse > 0) SleepMs(offMs);
    if (!SetPlaying(device.Get(), effect.Id(), true)) {
      Log("vibration: the device refused to play (errno %d)", errno);
      return false;
    }
    SleepMs(onMs);
    (void)SetPlaying(device.Get(), effect.Id(), false);
  }
  return true;
}

}  // namespace quelt::platform
