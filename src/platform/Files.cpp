#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "platform/UniqueFd.h"

namespace quelt::platform {
namespace {

// umask(2) cannot be read without changing it; the kernel shows it in /proc instead.
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      try {
        return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
      } catch (const std::exception&) {
        break;
      }
    }
  }
  return 022;
}

}  // namespace

std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path, uint64_t maxBytes) {
  UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.Valid()) return std::nullopt;
  struct stat status {};
  if (fstat(file.Get(), &status) != 0 || S_ISDIR(status.st_mode)) return std::nullopt;
  if (S_ISREG(status.st_mode) && static_cast<uint64_t>(status.st_size) > maxBytes) return std::nullopt;
  std::vector<uint8_t> bytes;
  if (S_ISREG(status.st_mode)) bytes.reserve(static_cast<size_t>(status.st_size));
  uint8_t chunk[65536];
  while (true) {
    const ssize_t got = read(file.Get(), chunk, sizeof chunk);
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (got == 0) break;
    // The size can change after fstat, and some files (in /proc) report none at all.
    if (bytes.size() + static_cast<size_t>(got) > maxBytes) return std::nullopt;
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  return bytes;
}

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes) {
  std::filesystem::path target = path;
  std::error_code error;
  // Replace what a symbolic link points to rather than the link itself.
  if (std::filesystem::is_symlink(target, error)) {
    target = std::filesystem::weakly_canonical(target, error);
    if (error) return false;
  }
  if (target.filename().empty()) return false;
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";

  mode_t mode = 0666 & ~CurrentUmask();
  struct stat existing {};
  if (stat(target.c_str(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode)) return false;
    mode = existing.st_mode & 07777;
  }

  std::string temporary = (folder / (target.filename().string() + ".XXXXXX")).string();
  UniqueFd file(mkostemp(temporary.data(), O_CLOEXEC));
  if (!file.Valid()) return false;
  const auto fail = [&temporary] {
    unlink(temporary.c_str());
    return false;
  };
  if (!WriteAll(file.Get(), bytes)) return fail();
  if (fchmod(file.Get(), mode) != 0) return fail();
  if (fsync(file.Get()) != 0) return fail();
  if (!file.Close()) return fail();
  if (rename(temporary.c_str(), target.c_str()) != 0) return fail();

  // The rename itself is durable only once the folder is synced. It has happened either way,
  // so a failure here is not reported as a failed write.
  UniqueFd directory(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (directory.Valid()) fsync(directory.Get());
  return true;
}

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = write(fd, bytes.data(), bytes.size());
    if (written <= 0) {
      if (written < 0 && errno == EINTR) continue;
      return false;
    }
    bytes = bytes.subspan(static_cast<size_t>(written));
  }
  return true;
}

}  // namespace quelt::platform
