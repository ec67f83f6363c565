#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::platform {

// The few registry keys the program and its plugin share, kept in one text file in the config
// folder. Key paths are written as on the handset ("HKCR\CLSID\{...}\InprocServer32"), compared
// without regard to ASCII case; a value name of "" is the key's default value. Every operation
// reads the file afresh under an advisory lock and writes it back atomically, so the program
// and the home host may use it at the same time.
class Registry {
 public:
  // The store of this user: ConfigFolder()/"registry".
  static Registry ForUser();
  explicit Registry(std::filesystem::path file);

  [[nodiscard]] std::optional<std::string> GetString(std::string_view key, std::string_view valueName = {}) const;
  [[nodiscard]] bool SetString(std::string_view key, std::string_view valueName, std::string_view value);
  [[nodiscard]] bool KeyExists(std::string_view key) const;
  // Deletes the key and its values; false when it does not exist or when it still has subkeys.
  [[nodiscard]] bool DeleteKey(std::string_view key);

  [[nodiscard]] const std::filesystem::path& File() const { return file_; }

 private:
  std::filesystem::path file_;
};

// The parsed form of the registry file, exposed for the file format's tests and fuzz target.
// Keys map (case-folded path) to their values; names are stored as first written.
struct RegistryKey {
  std::string path;                           // as first written
  std::map<std::string, std::string> values;  // value name -> value (UTF-8)
};
using RegistryData = std::map<std::string, RegistryKey>;  // by upper-cased path

[[nodiscard]] RegistryData ParseRegistryFile(std::span<const uint8_t> bytes);
[[nodiscard]] std::string SerializeRegistryFile(const RegistryData& data);

}  // namespace quelt::platform
