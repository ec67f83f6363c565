#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "icq/IcqContact.h"
#include "icq/IcqListState.h"

namespace quelt::icq {

class IcqContactList;

// The cache file "<UIN>.xml" and the options file "<UIN>_opt.xml" of an account, both UTF-16LE
// XML with the byte-order mark FF FE, kept in the history folder.
struct IcqCacheContents {
  IcqListState state;  // modification date and item count
  std::vector<IcqGroup> groups;
  std::vector<IcqContact> contacts;  // uin, item id, group id, nickname, awaiting flag, draft
};

// The file contents, byte for byte (mark included).
[[nodiscard]] std::vector<uint8_t> SerializeCache(const IcqCacheContents& contents);
[[nodiscard]] std::vector<uint8_t> SerializeOptions(const std::vector<IcqContact>& contacts);
// Nothing when the bytes are shorter than 3, not XML, or have no ContactList root.
[[nodiscard]] std::optional<IcqCacheContents> ParseCache(std::span<const uint8_t> bytes);
// Sets show status, code page and prefer-Unicode of the contacts the options name; a bad file
// changes nothing.
void ApplyOptions(std::span<const uint8_t> bytes, std::vector<IcqContact>& contacts);

// The two files of an account. Loading clears the list first, then fills it from the cache and
// the options; saving replaces each file whole through a new file and a rename.
[[nodiscard]] std::filesystem::path CacheFilePath(const std::filesystem::path& historyFolder, std::string_view uin);
[[nodiscard]] std::filesystem::path OptionsFilePath(const std::filesystem::path& historyFolder, std::string_view uin);
void LoadCache(const std::filesystem::path& historyFolder, std::string_view uin, IcqContactList& list);
bool SaveCache(const std::filesystem::path& historyFolder, std::string_view uin, const IcqContactList& list);

}  // namespace quelt::icq
