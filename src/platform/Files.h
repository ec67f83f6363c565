#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace quelt::platform {

// The whole file, or nothing when it cannot be opened or read. Files larger than maxBytes are
// refused rather than read into memory.
[[nodiscard]] std::optional<std::vector<uint8_t>> ReadWholeFile(const std::filesystem::path& path,
                                                                uint64_t maxBytes = 64u << 20);

// Writes all the bytes to an open file, going on after partial writes and interruptions; false on
// the first failure (a full disk, say).
[[nodiscard]] bool WriteAll(int fd, std::span<const uint8_t> bytes);

// Writes the bytes to a new file beside `path` and renames it over `path`, so that readers and
// a crash at any moment see either the old contents or the new, never a mix or an empty file.
// Returns false (and leaves `path` untouched) on any failure, a full disk included.
[[nodiscard]] bool WriteFileAtomically(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace quelt::platform
