#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace quelt::download {

// One task as the list's file keeps it.
struct DownloadRecord {
  std::u16string url;
  std::u16string fileName;
  uint32_t partial = 0;
  uint32_t totalSize = 0;
  bool complete = false;

  bool operator==(const DownloadRecord&) const = default;
};

// The records of a stored list, in order. Unreadable bytes give no records; a record without a
// link is skipped; numbers that do not read as such count as 0.
[[nodiscard]] std::vector<DownloadRecord> ParseDownloadList(std::span<const uint8_t> bytes);
[[nodiscard]] std::vector<DownloadRecord> LoadDownloadList(const std::filesystem::path& file);

// Replaces the file whole through a new file and a rename: a failed save leaves the old list.
[[nodiscard]] bool SaveDownloadList(const std::filesystem::path& file, std::span<const DownloadRecord> records);

}  // namespace quelt::download
