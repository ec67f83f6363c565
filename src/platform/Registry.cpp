#include "platform/Registry.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "platform/CaseMapping.h"
#include "platform/Clock.h"
#include "platform/FileLock.h"
#include "platform/Files.h"
#include "platform/Folders.h"
#include "platform/UniqueFd.h"

namespace quelt::platform {
namespace {

constexpr uint64_t kMaxFileBytes = 4u << 20;
constexpr LockWait kLockWait{.retryMs = 10, .waitLimitMs = 2000};
constexpr std::string_view kLockFileName = "registry.lock";

struct BuiltInValue {
  std::string_view key;  // upper-cased
  std::string_view name;
  std::string_view value;
};

// What the system would answer when our file says nothing.
constexpr BuiltInValue kBuiltInValues[] = {
    {"HKCR\\HTTP\\SHELL\\OPEN\\COMMAND", "", "xdg-open \"%1\""},
};

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

// "a\\b\" and "\a\b" name the key "a\b"; nothing is left of a path with no names in it.
std::optional<std::string> NormalizeKey(std::string_view key) {
  std::string normalized;
  size_t start = 0;
  while (start <= key.size()) {
    size_t end = key.find('\\', start);
    if (end == std::string_view::npos) end = key.size();
    if (end > start) {
      if (!normalized.empty()) normalized.push_back('\\');
      normalized.append(key.substr(start, end - start));
    }
    start = end + 1;
  }
  if (normalized.empty()) return std::nullopt;
  return normalized;
}

std::map<std::string, std::string>::iterator FindValue(std::map<std::string, std::string>& values,
                                                       std::string_view name) {
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (EqualIgnoringCase(it->first, name)) return it;
  }
  return values.end();
}

void PutValue(RegistryKey& key, std::string_view name, std::string value) {
  const auto existing = FindValue(key.values, name);
  if (existing != key.values.end()) {
    existing->second = std::move(value);
  } else {
    key.values.emplace(std::string(name), std::move(value));
  }
}

bool HasSubkeys(const RegistryData& data, const std::string& upperKey) {
  const std::string prefix = upperKey + '\\';
  const auto next = data.lower_bound(prefix);
  return next != data.end() && next->first.starts_with(prefix);
}

// Reads a double-quoted string at `pos`, moving `pos` past the closing quote.
std::optional<std::string> ReadQuoted(std::string_view line, size_t& pos) {
  if (pos >= line.size() || line[pos] != '"') return std::nullopt;
  std::string text;
  for (size_t i = pos + 1; i < line.size(); ++i) {
    char c = line[i];
    if (c == '"') {
      pos = i + 1;
      return text;
    }
    if (c == '\\') {
      if (++i == line.size()) return std::nullopt;
      c = line[i];
      if (c == 'n') c = '\n';
      if (c == 'r') c = '\r';
      if (c == '0') c = '\0';
    }
    text.push_back(c);
  }
  return std::nullopt;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (const char c : text) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\0': out += "\\0"; break;
      default: out.push_back(c); break;
    }
  }
  out.push_back('"');
}

size_t SkipBlanks(std::string_view line, size_t pos) {
  while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
  return pos;
}

// `"name"="value"` or `@="value"`; nothing for anything else.
std::optional<std::pair<std::string, std::string>> ParseValueLine(std::string_view line) {
  size_t pos = 0;
  std::string name;
  if (line.front() == '@') {
    pos = 1;
  } else if (auto quoted = ReadQuoted(line, pos)) {
    name = std::move(*quoted);
  } else {
    return std::nullopt;
  }
  pos = SkipBlanks(line, pos);
  if (pos >= line.size() || line[pos] != '=') return std::nullopt;
  pos = SkipBlanks(line, pos + 1);
  auto value = ReadQuoted(line, pos);
  if (!value || SkipBlanks(line, pos) != line.size()) return std::nullopt;
  return std::pair{std::move(name), std::move(*value)};
}

// An advisory lock on a file beside the registry: the registry itself is replaced by rename on
// every write, so it cannot carry the lock. Waits a bounded time for a busy lock.
class RegistryLock {
 public:
  RegistryLock(const std::filesystem::path& path, bool exclusive)
      : fd_(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_.Valid() && LockWithin(fd_.Get(), exclusive, kLockWait, Ticks()) != 0) fd_.Reset();
  }

  [[nodiscard]] bool Held() const { return fd_.Valid(); }

 private:
  UniqueFd fd_;
};

// The file's keys; an absent file is an empty registry, an unreadable one is nothing.
std::optional<RegistryData> Load(const std::filesystem::path& file) {
  if (auto bytes = ReadWholeFile(file, kMaxFileBytes)) return ParseRegistryFile(*bytes);
  struct stat status {};
  if (lstat(file.c_str(), &status) != 0 && errno == ENOENT) return RegistryData{};
  return std::nullopt;
}

bool Store(const std::filesystem::path& file, const RegistryData& data) {
  const std::string text = SerializeRegistryFile(data);
  return WriteFileAtomically(file, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace

RegistryData ParseRegistryFile(std::span<const uint8_t> bytes) {
  RegistryData data;
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  RegistryKey* current = nullptr;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    const size_t first = line.find_first_not_of(" \t");
    const size_t last = line.find_last_not_of(" \t\r");
    if (first == std::string_view::npos || last == std::string_view::npos || last < first) continue;
    line = line.substr(first, last - first + 1);

    if (line.front() == '[') {
      current = nullptr;
      if (line.size() < 2 || line.back() != ']') continue;
      const auto path = NormalizeKey(line.substr(1, line.size() - 2));
      if (!path) continue;
      auto [it, added] = data.try_emplace(AsciiUpper(*path));
      if (added) it->second.path = *path;
      current = &it->second;
    } else if (current != nullptr) {
      if (auto value = ParseValueLine(line)) PutValue(*current, value->first, std::move(value->second));
    }
  }
  return data;
}

std::string SerializeRegistryFile(const RegistryData& data) {
  std::string out;
  for (const auto& [upperPath, key] : data) {
    if (!out.empty()) out.push_back('\n');
    out += '[' + key.path + "]\n";
    for (const auto& [name, value] : key.values) {
      if (name.empty()) {
        out.push_back('@');
      } else {
        AppendQuoted(out, name);
      }
      out.push_back('=');
      AppendQuoted(out, value);
      out.push_back('\n');
    }
  }
  return out;
}

Registry Registry::ForUser() { return Registry(ConfigFolder() / "registry"); }

Registry::Registry(std::filesystem::path file) : file_(std::move(file)) {}

std::optional<std::string> Registry::GetString(std::string_view key, std::string_view valueName) const {
  const auto path = NormalizeKey(key);
  if (!path) return std::nullopt;
  const std::string upperKey = AsciiUpper(*path);
  {
    // Writers replace the file whole, so a reader that cannot get the lock still sees a
    // consistent file; the lock only orders it after a write in progress.
    const RegistryLock lock(file_.parent_path() / kLockFileName, false);
    if (auto data = Load(file_)) {
      const auto found = data->find(upperKey);
      if (found != data->end()) {
        const auto value = FindValue(found->second.values, valueName);
        if (value != found->second.values.end()) return value->second;
      }
    }
  }
  for (const auto& builtIn : kBuiltInValues) {
    if (builtIn.key == upperKey && EqualIgnoringCase(builtIn.name, valueName)) return std::string(builtIn.value);
  }
  return std::nullopt;
}

bool Registry::KeyExists(std::string_view key) const {
  const auto path = NormalizeKey(key);
  if (!path) return false;
  const std::string upperKey = AsciiUpper(*path);
  const RegistryLock lock(file_.parent_path() / kLockFileName, false);
  const auto data = Load(file_);
  return data && (data->contains(upperKey) || HasSubkeys(*data, upperKey));
}

bool Registry::SetString(std::string_view key, std::string_view valueName, std::string_view value) {
  const auto path = NormalizeKey(key);
  if (!path) return false;
  for (const char c : *path) {
    if (c == '\n' || c == '\r' || c == '\0') return false;
  }
  std::error_code error;
  std::filesystem::create_directories(file_.parent_path(), error);
  const RegistryLock lock(file_.parent_path() / kLockFileName, true);
  if (!lock.Held()) return false;
  auto data = Load(file_);
  if (!data) return false;
  // Like creating a key on the handset, every missing key on the way is created too.
  RegistryKey* target = nullptr;
  for (size_t end = 0; end != std::string::npos;) {
    end = path->find('\\', end + 1);
    const std::string prefix = path->substr(0, end);
    auto [it, added] = data->try_emplace(AsciiUpper(prefix));
    if (added) it->second.path = prefix;
    target = &it->second;
  }
  PutValue(*target, valueName, std::string(value));
  return Store(file_, *data);
}

bool Registry::DeleteKey(std::string_view key) {
  const auto path = NormalizeKey(key);
  if (!path) return false;
  const std::string upperKey = AsciiUpper(*path);
  const RegistryLock lock(file_.parent_path() / kLockFileName, true);
  if (!lock.Held()) return false;
  auto data = Load(file_);
  if (!data || HasSubkeys(*data, upperKey) || data->erase(upperKey) == 0) return false;
  return Store(file_, *data);
}

}  // namespace quelt::platform
