#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "msn/MsnContact.h"

namespace quelt::msn {

// What the cache file holds: list versions, groups and contacts.
struct MsnListSnapshot {
  std::u16string version1 = u"0";
  std::u16string version2 = u"0";
  std::vector<MsnGroup> groups;
  std::vector<MsnContact> contacts;  // ordered by e-mail (code units)
  bool operator==(const MsnListSnapshot&) const = default;
};

// The cache file's bytes: FF FE, then the UTF-16LE document.
[[nodiscard]] std::vector<uint8_t> SerializeMsnCache(const MsnListSnapshot& list);
// Nothing when the bytes are under 3 long, do not parse, or have no ContactList root.
[[nodiscard]] std::optional<MsnListSnapshot> ParseMsnCache(std::span<const uint8_t> bytes);

// The account's contacts (sorted by e-mail), groups and list versions, behind one lock: the hub
// thread changes them, the keep-alive and the windows read them.
class MsnContactList {
 public:
  explicit MsnContactList(std::filesystem::path cacheFile) : cacheFile_(std::move(cacheFile)) {}

  [[nodiscard]] std::optional<MsnContact> FindByEmail(std::u16string_view email) const;
  [[nodiscard]] std::optional<MsnContact> FindByGuid(std::string_view guid) const;
  // False (and nothing changed) when the e-mail is there already.
  bool Add(MsnContact contact);
  bool Remove(std::u16string_view email);
  // Runs `change` on the contact under the lock; false when there is none. The e-mail must stay.
  bool Update(std::u16string_view email, const std::function<void(MsnContact&)>& change);
  // Runs `change` on every contact; returns how many it reported as changed.
  size_t UpdateAll(const std::function<bool(MsnContact&)>& change);
  [[nodiscard]] std::vector<MsnContact> Contacts() const;

  void AddGroup(MsnGroup group);
  [[nodiscard]] std::vector<MsnGroup> Groups() const;
  // Removes every contact and group.
  void Clear();

  [[nodiscard]] std::pair<std::u16string, std::u16string> Versions() const;
  void SetVersions(std::u16string version1, std::u16string version2);

  // The cache file: read when the session is made, written after list changes (through a new
  // file and a rename). A missing or bad file leaves the list empty with versions "0".
  void LoadCache();
  bool SaveCache() const;
  [[nodiscard]] MsnListSnapshot Snapshot() const;

 private:
  const std::filesystem::path cacheFile_;
  mutable std::mutex mutex_;
  MsnListSnapshot list_;
  mutable std::mutex saving_;  // one save at a time, so an older picture never wins
};

}  // namespace quelt::msn
