#include "resources/ResourceFile.h"

#include "platform/Files.h"
#include "platform/TextCodec.h"

namespace quelt::resources {
namespace {

constexpr uint64_t kMaxResourceBytes = 4u << 20;

}  // namespace

std::optional<std::filesystem::path> ResourceFilePath(const std::filesystem::path& folder, const std::u16string& file) {
  if (folder.empty() || file.empty()) return std::nullopt;
  const std::filesystem::path name(platform::Utf16ToUtf8(file));
  if (name.has_parent_path() || name != name.filename() || name == "." || name == "..") return std::nullopt;
  return folder / name;
}

std::optional<std::vector<uint8_t>> ReadResourceFile(const std::filesystem::path& folder, const std::u16string& file) {
  const auto path = ResourceFilePath(folder, file);
  if (!path) return std::nullopt;
  return platform::ReadWholeFile(*path, kMaxResourceBytes);
}

}  // namespace quelt::resources
