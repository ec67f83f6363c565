#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "platform/FileLock.h"
#include "platform/UniqueFd.h"

namespace quelt::core {

// An open file with an advisory lock (flock) held until it is closed. Writers take the lock
// exclusively, readers share it. The lock is taken on the file that the path names once the lock
// is held: when the file was deleted or replaced while we waited, the new one is opened instead,
// so that nothing is written into a file that has just been deleted.
class LockedFile {
 public:
  enum class Lock { Shared, Exclusive };

  // `flags` are open(2) flags (O_RDONLY, O_RDWR | O_CREAT, ...). On failure `error` receives
  // the errno value, EWOULDBLOCK when the lock stayed taken for the whole wait.
  [[nodiscard]] static std::optional<LockedFile> Open(const std::filesystem::path& path, int flags, Lock lock,
                                                      const platform::LockWait& wait, int& error);

  LockedFile(LockedFile&&) noexcept = default;
  LockedFile& operator=(LockedFile&&) = delete;
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  [[nodiscard]] std::optional<uint64_t> Size() const;
  // Both move exactly the whole span or report failure.
  [[nodiscard]] bool ReadAt(uint64_t offset, std::span<uint8_t> bytes) const;
  [[nodiscard]] bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes) const;
  [[nodiscard]] bool Truncate(uint64_t size) const;
  // Releases the lock; false when close(2) reported an error, which is where some file systems
  // report failed writes.
  bool Close() { return fd_.Close(); }

 private:
  explicit LockedFile(int fd) : fd_(fd) {}
  platform::UniqueFd fd_;
};

}  // namespace quelt::core
