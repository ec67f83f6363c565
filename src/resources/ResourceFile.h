#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quelt::resources {

// The path of a resource file: `file` inside `folder`. Nothing when either is empty or `file` is
// more than a plain name (a separator, "." or ".."), since resources are never read from elsewhere.
[[nodiscard]] std::optional<std::filesystem::path> ResourceFilePath(const std::filesystem::path& folder,
                                                                    const std::u16string& file);

// The bytes of that file; nothing when there is no such path, the file cannot be read, or it is
// far larger than any language or keypad file.
[[nodiscard]] std::optional<std::vector<uint8_t>> ReadResourceFile(const std::filesystem::path& folder,
                                                                   const std::u16string& file);

}  // namespace quelt::resources
