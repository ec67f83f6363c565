#include "msn/MsnContactList.h"

#include <algorithm>
#include <utility>

#include "core/XmlDocument.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"

namespace quelt::msn {
namespace {

using core::XmlNode;

constexpr size_t kMinimumFileSize = 3;

bool EmailLess(const MsnContact& contact, std::u16string_view email) { return contact.email < email; }

std::u16string AttributeText(const XmlNode& element, std::string_view name) {
  return element.Attribute(name).value_or(std::u16string());
}

// Versions go back to the server inside the SYN line, so only a single printable token is kept;
// anything else asks the server for the whole list again.
std::u16string ReadVersion(const XmlNode& root, std::string_view name) {
  std::u16string version = AttributeText(root, name);
  const bool token =
      !version.empty() && std::all_of(version.begin(), version.end(), [](char16_t c) { return c > 0x20 && c < 0x7F; });
  return token ? version : std::u16string(u"0");
}

// The GUID is sent as stored in REM, so one with spaces or control characters is dropped rather
// than allowed to split or end the command line.
std::string ReadGuid(const XmlNode& element) {
  std::string guid = platform::EncodeCodePage(AttributeText(element, "Guid"), platform::kAnsiCodePage).bytes;
  const bool usable =
      std::all_of(guid.begin(), guid.end(), [](char c) { return static_cast<unsigned char>(c) > 0x20; });
  return usable ? guid : std::string();
}

// Decimal, optionally negative, nothing else; anything else is no list at all.
int ReadListBits(const std::u16string& value) { return platform::ParseDecimal<int>(value).value_or(0); }

// Group children were joined with commas into one list of ids, so a text with commas holds
// several ids; empty ones carry nothing and are dropped.
void ReadGroupIds(const XmlNode& element, std::vector<std::u16string>& ids) {
  for (const XmlNode& child : element.Children()) {
    if (child.Name() != "Group") continue;
    const std::u16string text = child.Text();
    size_t start = 0;
    while (start <= text.size()) {
      const size_t comma = std::min(text.find(u',', start), text.size());
      if (comma > start) ids.push_back(text.substr(start, comma - start));
      start = comma + 1;
    }
  }
}

std::optional<MsnContact> ReadContact(const XmlNode& element) {
  MsnContact contact;
  contact.email = AttributeText(element, "Account");
  if (contact.email.empty()) return std::nullopt;
  contact.guid = ReadGuid(element);
  contact.friendlyName = AttributeText(element, "Name");
  contact.lists = ReadListBits(AttributeText(element, "Listbit"));
  ReadGroupIds(element, contact.groups);
  contact.SetLocalName(AttributeText(element, "LocalName"));
  contact.unsentText = AttributeText(element, "Cache");
  return contact;
}

void WriteContact(XmlNode root, const MsnContact& contact) {
  XmlNode element = root.AppendElement("Contact");
  element.SetAttribute("Account", contact.email);
  const std::u16string displayName = contact.DisplayName();
  if (displayName != (contact.friendlyName.empty() ? contact.email : contact.friendlyName)) {
    element.SetAttribute("LocalName", displayName);
  }
  if (!contact.friendlyName.empty() && contact.friendlyName != contact.email) {
    element.SetAttribute("Name", contact.friendlyName);
  }
  if (!contact.guid.empty()) {
    element.SetAttribute("Guid", platform::DecodeCodePage(contact.guid, platform::kAnsiCodePage).text);
  }
  element.SetAttribute("Listbit", platform::AsciiToUtf16(std::to_string(contact.lists)));
  if (!contact.unsentText.empty()) element.SetAttribute("Cache", contact.unsentText);
  for (const std::u16string& id : contact.groups) element.AppendElement("Group").SetText(id);
}

// The e-mail must not change under Update: the vector is ordered by it.
void KeepEmail(MsnContact& contact, std::u16string email) { contact.email = std::move(email); }

}  // namespace

std::vector<uint8_t> SerializeMsnCache(const MsnListSnapshot& list) {
  core::XmlDocument document;
  XmlNode root = document.CreateRoot("ContactList");
  root.SetAttribute("T1", list.version1);
  root.SetAttribute("T2", list.version2);
  for (const MsnGroup& group : list.groups) {
    XmlNode element = root.AppendElement("Group");
    element.SetAttribute("ID", group.id);
    element.SetAttribute("Name", group.name);
  }
  for (const MsnContact& contact : list.contacts) WriteContact(root, contact);
  return document.Utf16FileBytes();
}

// The result keeps the list's promises: every contact has an e-mail, and the contacts are sorted
// by it without repeats (the first of a repeated e-mail wins, as an insertion would).
std::optional<MsnListSnapshot> ParseMsnCache(std::span<const uint8_t> bytes) {
  if (bytes.size() < kMinimumFileSize) return std::nullopt;
  core::XmlDocument document;
  if (!document.LoadBytes(bytes)) return std::nullopt;
  const XmlNode root = document.Root();
  if (root.IsNull() || root.Name() != "ContactList") return std::nullopt;
  MsnListSnapshot list;
  list.version1 = ReadVersion(root, "T1");
  list.version2 = ReadVersion(root, "T2");
  for (const XmlNode& child : root.Children()) {
    const std::string name = child.Name();
    if (name == "Group") {
      list.groups.push_back(MsnGroup{.id = AttributeText(child, "ID"), .name = AttributeText(child, "Name")});
    } else if (name == "Contact") {
      if (auto contact = ReadContact(child)) list.contacts.push_back(std::move(*contact));
    }
  }
  auto& contacts = list.contacts;
  std::stable_sort(contacts.begin(), contacts.end(),
                   [](const MsnContact& a, const MsnContact& b) { return a.email < b.email; });
  contacts.erase(std::unique(contacts.begin(), contacts.end(),
                             [](const MsnContact& a, const MsnContact& b) { return a.email == b.email; }),
                 contacts.end());
  return list;
}

std::optional<MsnContact> MsnContactList::FindByEmail(std::u16string_view email) const {
  std::lock_guard lock(mutex_);
  const auto found = std::lower_bound(list_.contacts.begin(), list_.contacts.end(), email, EmailLess);
  if (found == list_.contacts.end() || found->email != email) return std::nullopt;
  return *found;
}

// An empty GUID stands for "unknown" on many contacts and must not pick one of them.
std::optional<MsnContact> MsnContactList::FindByGuid(std::string_view guid) const {
  if (guid.empty()) return std::nullopt;
  std::lock_guard lock(mutex_);
  for (const MsnContact& contact : list_.contacts) {
    if (contact.guid == guid) return contact;
  }
  return std::nullopt;
}

bool MsnContactList::Add(MsnContact contact) {
  if (contact.email.empty()) return false;
  std::lock_guard lock(mutex_);
  const auto place = std::lower_bound(list_.contacts.begin(), list_.contacts.end(), contact.email, EmailLess);
  if (place != list_.contacts.end() && place->email == contact.email) return false;
  list_.contacts.insert(place, std::move(contact));
  return true;
}

bool MsnContactList::Remove(std::u16string_view email) {
  std::lock_guard lock(mutex_);
  const auto found = std::lower_bound(list_.contacts.begin(), list_.contacts.end(), email, EmailLess);
  if (found == list_.contacts.end() || found->email != email) return false;
  list_.contacts.erase(found);
  return true;
}

bool MsnContactList::Update(std::u16string_view email, const std::function<void(MsnContact&)>& change) {
  std::lock_guard lock(mutex_);
  const auto found = std::lower_bound(list_.contacts.begin(), list_.contacts.end(), email, EmailLess);
  if (found == list_.contacts.end() || found->email != email) return false;
  std::u16string kept(email);
  change(*found);
  KeepEmail(*found, std::move(kept));
  return true;
}

size_t MsnContactList::UpdateAll(const std::function<bool(MsnContact&)>& change) {
  std::lock_guard lock(mutex_);
  size_t changed = 0;
  for (MsnContact& contact : list_.contacts) {
    std::u16string email = contact.email;
    if (change(contact)) ++changed;
    KeepEmail(contact, std::move(email));
  }
  return changed;
}

std::vector<MsnContact> MsnContactList::Contacts() const {
  std::lock_guard lock(mutex_);
  return list_.contacts;
}

void MsnContactList::AddGroup(MsnGroup group) {
  std::lock_guard lock(mutex_);
  list_.groups.push_back(std::move(group));
}

std::vector<MsnGroup> MsnContactList::Groups() const {
  std::lock_guard lock(mutex_);
  return list_.groups;
}

void MsnContactList::Clear() {
  std::lock_guard lock(mutex_);
  list_.contacts.clear();
  list_.groups.clear();
}

std::pair<std::u16string, std::u16string> MsnContactList::Versions() const {
  std::lock_guard lock(mutex_);
  return {list_.version1, list_.version2};
}

void MsnContactList::SetVersions(std::u16string version1, std::u16string version2) {
  std::lock_guard lock(mutex_);
  list_.version1 = std::move(version1);
  list_.version2 = std::move(version2);
}

// A draft left in the file makes its contact active again, as typing it did.
void MsnContactList::LoadCache() {
  MsnListSnapshot loaded;
  if (const auto bytes = platform::ReadWholeFile(cacheFile_)) {
    if (auto parsed = ParseMsnCache(*bytes)) loaded = std::move(*parsed);
  }
  const uint32_t now = platform::Ticks();
  for (MsnContact& contact : loaded.contacts) contact.SetUnsentText(std::move(contact.unsentText), now);
  std::lock_guard lock(mutex_);
  list_ = std::move(loaded);
}

bool MsnContactList::SaveCache() const {
  std::lock_guard saving(saving_);
  const std::vector<uint8_t> bytes = SerializeMsnCache(Snapshot());
  return platform::WriteFileAtomically(cacheFile_, bytes);
}

MsnListSnapshot MsnContactList::Snapshot() const {
  std::lock_guard lock(mutex_);
  return list_;
}

}  // namespace quelt::msn
