#include "platform/Folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace quelt::platform {
namespace {

// An environment variable that names an absolute path; relative values are to be ignored.
std::optional<std::filesystem::path> AbsoluteFromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return std::filesystem::path(value);
}

std::filesystem::path HomeFolder() {
  if (auto home = AbsoluteFromEnv("HOME")) return *home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return "/";
}

std::filesystem::path ConfigHome() {
  if (auto config = AbsoluteFromEnv("XDG_CONFIG_HOME")) return *config;
  return HomeFolder() / ".config";
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs: a shell assignment whose value is
// "$HOME/..." or an absolute path, usually in double quotes.
std::optional<std::filesystem::path> DocumentsFromUserDirs(const std::filesystem::path& file) {
  std::ifstream in(file);
  std::string line;
  constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
  std::optional<std::filesystem::path> result;
  while (std::getline(in, line)) {
    std::string_view text = Trim(line);
    if (text.empty() || text.front() == '#' || !text.starts_with(kKey)) continue;
    text.remove_prefix(kKey.size());
    std::string value;
    if (!text.empty() && text.front() == '"') {
      const auto closing = text.find('"', 1);
      if (closing == std::string_view::npos) continue;
      const std::string_view quoted = text.substr(1, closing - 1);
      for (size_t i = 0; i < quoted.size(); ++i) {
        if (quoted[i] == '\\' && i + 1 < quoted.size()) ++i;
        value.push_back(quoted[i]);
      }
    } else {
      value = std::string(text);
    }
    constexpr std::string_view kHome = "$HOME";
    if (value.starts_with(kHome) && (value.size() == kHome.size() || value[kHome.size()] == '/')) {
      value = HomeFolder().string() + value.substr(kHome.size());
    }
    // The last assignment wins, as when the shell sources the file.
    if (!value.empty() && value.front() == '/') result = std::filesystem::path(value);
  }
  return result;
}

}  // namespace

std::filesystem::path ProgramFolder() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::current_path(error);
  return executable.parent_path();
}

std::filesystem::path DocumentsFolder() {
  if (const auto documents = DocumentsFromUserDirs(ConfigHome() / "user-dirs.dirs")) {
    std::error_code error;
    if (std::filesystem::is_directory(*documents, error)) return *documents;
  }
  return HomeFolder();
}

std::filesystem::path AppDataFolder() {
  if (auto data = AbsoluteFromEnv("XDG_DATA_HOME")) return *data;
  return HomeFolder() / ".local" / "share";
}

std::filesystem::path ConfigFolder() { return ConfigHome() / "quelt"; }

std::filesystem::path RuntimeFolder() {
  if (auto runtime = AbsoluteFromEnv("XDG_RUNTIME_DIR")) return *runtime;
  const std::filesystem::path folder = "/tmp/quelt-" + std::to_string(geteuid());
  // A folder that someone else made (or a link in its place) is returned as it is: the ports
  // check its owner and refuse to work there.
  if (mkdir(folder.c_str(), 0700) != 0) {
    struct stat status {};
    if (lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && status.st_uid == geteuid() &&
        (status.st_mode & 0077) != 0) {
      chmod(folder.c_str(), 0700);
    }
  }
  return folder;
}

}  // namespace quelt::platform
