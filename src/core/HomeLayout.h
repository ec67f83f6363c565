#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quelt::platform {
class Registry;
}

namespace quelt::core {

// The home screen's layout: which scheme file it shows, and the messenger's own row in it.

inline constexpr std::string_view kOwnRowName = "QUELTMsg";
inline constexpr std::string_view kSchemeSaveFailed = "Can't save schema file";
inline constexpr std::string_view kSchemeSwitchFailed = "Can't change home screen layout";

// The scheme in use, read for one command.
struct CurrentScheme {
  std::filesystem::path path;
  std::string fileName;
  bool own = false;    // a file the messenger made
  int ownNumber = -1;  // the number after "QUELTMsg" in an own file's name
  std::unique_ptr<pugi::xml_document> document;
  bool converted = false;              // read from another encoding than UTF-8
  std::vector<std::string> otherRows;  // the other rows' names, in order
  int ownPosition = -1;                // the messenger's row among all rows
  // The messenger's row, when there is one.
  bool autoHeight = false;
  std::string height = "25";
  int showBottomBorder = 0;
  std::string previousScheme;  // the scheme before the messenger's first installation
};

// What the row wizard edits. `position` counts the other rows the row goes after.
struct RowSettings {
  int position = 0;
  std::string height = "25";
  bool autoHeight = false;
  int showBottomBorder = 0;
  bool operator==(const RowSettings&) const = default;
};

// The device's configuration service over the registry stand-in: a `wap-provisioningdoc`
// whose characteristics name registry keys under a "Home" characteristic. A `parm` sets a
// value; a `parm-query` is answered in the reply with the value filled in. Nothing for a
// document it cannot read or a setting it cannot write.
[[nodiscard]] std::optional<std::string> ProcessProvisioning(platform::Registry& registry, std::string_view document);

// Nothing when the device names no scheme or its file cannot be read. As the home screen reads
// the setting, a relative name is in its shipped folder and no setting means its shipped
// "Default.home.xml" there (with no folder given, both fail).
[[nodiscard]] std::optional<CurrentScheme> ReadCurrentScheme(platform::Registry& registry,
                                                             const std::filesystem::path& shippedFolder = {});
// A scheme file read as above; nothing unless it is a `home` document.
[[nodiscard]] std::optional<CurrentScheme> ReadSchemeFile(const std::filesystem::path& path);
// Whether the home screen shows this file now.
[[nodiscard]] bool SchemeInUse(platform::Registry& registry, const std::filesystem::path& file,
                               const std::filesystem::path& shippedFolder);

// The scheme file's bytes read as the scheme in use at `path`; nothing when they are not XML.
[[nodiscard]] std::optional<CurrentScheme> ParseScheme(const std::filesystem::path& path,
                                                       std::span<const uint8_t> bytes);

// "QUELTMsg" + the next number (none for 0) + "." + the name it was made from.
[[nodiscard]] std::string NewSchemeFileName(const CurrentScheme& scheme);

// The scheme with the messenger's row in it, as the bytes of a file; the document in `scheme` is
// changed on the way. Nothing when it has no `home` root.
[[nodiscard]] std::optional<std::string> SchemeWithRow(CurrentScheme& scheme, const RowSettings& row,
                                                       const std::string& previousScheme);

// Writes the scheme with the messenger's row in it under appData/"Home", through a new file and
// a rename; the document in `scheme` is changed on the way. The new file, or nothing with
// kSchemeSaveFailed in `error`.
[[nodiscard]] std::optional<std::filesystem::path> MakeSchemeFile(CurrentScheme& scheme, const RowSettings& row,
                                                                  const std::string& previousScheme,
                                                                  const std::filesystem::path& appData,
                                                                  std::string& error);

// Points the device at another scheme; false with kSchemeSwitchFailed in `error`.
[[nodiscard]] bool SwitchScheme(platform::Registry& registry, const std::filesystem::path& scheme, std::string& error);

}  // namespace quelt::core
