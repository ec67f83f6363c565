#include "core/LockedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Clock.h"

namespace quelt::core {
namespace {

bool SameFile(int fd, const std::filesystem::path& path) {
  struct stat opened {};
  struct stat named {};
  return fstat(fd, &opened) == 0 && stat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
         opened.st_ino == named.st_ino;
}

}  // namespace

std::optional<LockedFile> LockedFile::Open(const std::filesystem::path& path, int flags, Lock lock,
                                           const platform::LockWait& wait, int& error) {
  const uint32_t start = platform::Ticks();
  while (true) {
    LockedFile file(open(path.c_str(), flags | O_CLOEXEC, 0666));
    if (!file.fd_.Valid()) {
      error = errno;
      return std::nullopt;
    }
    error = platform::LockWithin(file.fd_.Get(), lock == Lock::Exclusive, wait, start);
    if (error != 0) return std::nullopt;
    if (SameFile(file.fd_.Get(), path)) return file;
    if (platform::Ticks() - start >= wait.waitLimitMs) {
      error = EWOULDBLOCK;
      return std::nullopt;
    }
  }
}

std::optional<uint64_t> LockedFile::Size() const {
  struct stat status {};
  if (fstat(fd_.Get(), &status) != 0 || status.st_size < 0) return std::nullopt;
  return static_cast<uint64_t>(status.st_size);
}

bool LockedFile::ReadAt(uint64_t offset, std::span<uint8_t> bytes) const {
  while (!bytes.empty()) {
    const ssize_t got = pread(fd_.Get(), bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes = bytes.subspan(static_cast<size_t>(got));
    offset += static_cast<uint64_t>(got);
  }
  return true;
}

bool LockedFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) const {
  while (!bytes.empty()) {
    const ssize_t written = pwrite(fd_.Get(), bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes = bytes.subspan(static_cast<size_t>(written));
    offset += static_cast<uint64_t>(written);
  }
  return true;
}

bool LockedFile::Truncate(uint64_t size) const { return ftruncate(fd_.Get(), static_cast<off_t>(size)) == 0; }

}  // namespace quelt::core
