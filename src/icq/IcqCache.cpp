#include "icq/IcqCache.h"

#include <limits>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "core/HistoryFileName.h"
#include "core/XmlDocument.h"
#include "icq/IcqContactList.h"
#include "platform/Files.h"
#include "platform/HexDigit.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

using core::XmlNode;

constexpr size_t kMinimumFileSize = 3;

bool NameIs(const XmlNode& node, std::string_view wanted) {
  const std::string name = node.Name();
  if (name.size() != wanted.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(name[i]) != lower(wanted[i])) return false;
  }
  return true;
}

// A decimal attribute: optionally signed, nothing else around the digits, within the type's range.
template <typename Number>
std::optional<Number> ParseNumber(const std::optional<std::u16string>& value) {
  return value ? platform::ParseDecimal<Number>(*value) : std::nullopt;
}

template <typename Number>
std::u16string Decimal(Number number) {
  return platform::AsciiToUtf16(std::to_string(number));
}

// Every four hexadecimal digits are one UTF-16 code unit; anything else is skipped, and so is a
// trailing group of fewer than four digits. A NUL unit could not be written back, so it is dropped.
std::u16string DecodeHexName(std::u16string_view hex) {
  std::u16string name;
  uint32_t unit = 0;
  int digits = 0;
  for (char16_t c : hex) {
    const int digit = platform::HexDigitValue(c);
    if (digit < 0) continue;
    unit = (unit << 4) | static_cast<uint32_t>(digit);
    if (++digits == 4) {
      if (unit != 0) name.push_back(static_cast<char16_t>(unit));
      unit = 0;
      digits = 0;
    }
  }
  return name;
}

std::u16string ReadName(const XmlNode& element) {
  if (auto name = element.Attribute("Name"); name && !name->empty()) return std::move(*name);
  return DecodeHexName(element.Attribute("HName").value_or(std::u16string()));
}

void ReadContact(const XmlNode& element, uint16_t groupId, IcqCacheContents& contents,
                 std::unordered_set<std::string>& uins) {
  IcqContact contact;
  contact.uin = platform::Utf16ToUtf8(element.Attribute("UIN").value_or(std::u16string()));
  // The list finds contacts by UIN, so a second record with the same one could never be reached.
  if (!contact.uin.empty() && !uins.insert(contact.uin).second) return;
  contact.itemId = ParseNumber<uint16_t>(element.Attribute("ID")).value_or(0);
  contact.groupId = groupId;
  contact.nickname = ReadName(element);
  contact.awaitingAuthorization = element.Attribute("NotAuth") == u"1";
  for (const XmlNode& child : element.Children()) {
    if (NameIs(child, "Cache")) {
      contact.draft = child.Text();
      break;
    }
  }
  contents.contacts.push_back(std::move(contact));
}

void WriteContact(XmlNode parent, const IcqContact& contact) {
  XmlNode element = parent.AppendElement("Contact");
  element.SetAttribute("ID", Decimal(contact.itemId));
  if (!contact.uin.empty()) element.SetAttribute("UIN", platform::Utf8ToUtf16(contact.uin));
  if (!contact.nickname.empty()) element.SetAttribute("Name", contact.nickname);
  if (contact.awaitingAuthorization) element.SetAttribute("NotAuth", u"1");
  if (!contact.draft.empty()) element.AppendElement("Cache").SetText(contact.draft);
}

bool HasOwnOptions(const IcqContact& contact) {
  return !contact.uin.empty() && (!contact.showStatus || contact.ansiCodePage != -1 || contact.preferUnicode);
}

std::filesystem::path AccountFile(const std::filesystem::path& historyFolder, std::string_view uin,
                                  std::u16string_view suffix) {
  return historyFolder /
         platform::Utf16ToUtf8(core::HistoryFileName(platform::Utf8ToUtf16(uin)) + std::u16string(suffix));
}

}  // namespace

// Members are written inside their group in list order. A contact whose group is not in the list
// goes under the root with the contacts off the server list, so that it is not lost; it comes
// back from the file with group id 0.
std::vector<uint8_t> SerializeCache(const IcqCacheContents& contents) {
  core::XmlDocument document;
  XmlNode root = document.CreateRoot("ContactList");
  root.SetAttribute("ModDate", Decimal(contents.state.modificationDate));
  root.SetAttribute("ItemCount", Decimal(contents.state.itemCount));
  std::unordered_map<uint16_t, XmlNode> groupElements;
  for (const IcqGroup& group : contents.groups) {
    XmlNode element = root.AppendElement("Group");
    element.SetAttribute("ID", Decimal(group.id));
    element.SetAttribute("Name", group.name);
    groupElements.try_emplace(group.id, element);
  }
  std::vector<const IcqContact*> outside;
  for (const IcqContact& contact : contents.contacts) {
    const auto group = contact.groupId != 0 ? groupElements.find(contact.groupId) : groupElements.end();
    if (group != groupElements.end()) {
      WriteContact(group->second, contact);
    } else {
      outside.push_back(&contact);
    }
  }
  for (const IcqContact* contact : outside) WriteContact(root, *contact);
  return document.Utf16FileBytes();
}

std::vector<uint8_t> SerializeOptions(const std::vector<IcqContact>& contacts) {
  core::XmlDocument document;
  XmlNode root = document.CreateRoot("ContactList");
  for (const IcqContact& contact : contacts) {
    if (!HasOwnOptions(contact)) continue;
    XmlNode element = root.AppendElement("Contact");
    element.SetAttribute("UIN", platform::Utf8ToUtf16(contact.uin));
    if (!contact.showStatus) element.SetAttribute("ShowStatus", u"0");
    if (contact.ansiCodePage != -1) element.SetAttribute("AnsiCP", Decimal(contact.ansiCodePage));
    if (contact.preferUnicode) element.SetAttribute("PreferUnicode", u"1");
  }
  return document.Utf16FileBytes();
}

// A group without a usable id is skipped, but its members are kept, off the server list, so that
// a damaged entry costs a group and not the contacts' names and drafts.
std::optional<IcqCacheContents> ParseCache(std::span<const uint8_t> bytes) {
  if (bytes.size() < kMinimumFileSize) return std::nullopt;
  core::XmlDocument document;
  if (!document.LoadBytes(bytes)) return std::nullopt;
  const XmlNode root = document.Root();
  if (!NameIs(root, "ContactList")) return std::nullopt;
  IcqCacheContents contents;
  contents.state.modificationDate = ParseNumber<uint32_t>(root.Attribute("ModDate")).value_or(0);
  contents.state.itemCount = ParseNumber<uint16_t>(root.Attribute("ItemCount")).value_or(0);
  std::unordered_set<std::string> uins;
  std::unordered_set<uint16_t> groupIds;
  for (const XmlNode& child : root.Children()) {
    if (NameIs(child, "Contact")) {
      ReadContact(child, 0, contents, uins);
    } else if (NameIs(child, "Group")) {
      const uint16_t id = ParseNumber<uint16_t>(child.Attribute("ID")).value_or(0);
      if (id != 0 && groupIds.insert(id).second) contents.groups.push_back(IcqGroup{.id = id, .name = ReadName(child)});
      for (const XmlNode& member : child.Children()) {
        if (NameIs(member, "Contact")) ReadContact(member, id, contents, uins);
      }
    }
  }
  return contents;
}

// Present values count; an absent one leaves the option as it was, so that an entry written for
// one option does not switch on the others. A code page that is not a number is ignored.
void ApplyOptions(std::span<const uint8_t> bytes, std::vector<IcqContact>& contacts) {
  if (bytes.size() < kMinimumFileSize) return;
  core::XmlDocument document;
  if (!document.LoadBytes(bytes)) return;
  std::unordered_map<std::string, IcqContact*> byUin;
  for (IcqContact& contact : contacts) {
    if (!contact.uin.empty()) byUin.try_emplace(contact.uin, &contact);
  }
  for (const XmlNode& element : document.SelectAll("/ContactList/Contact")) {
    const auto uin = element.Attribute("UIN");
    const auto found = uin ? byUin.find(platform::Utf16ToUtf8(*uin)) : byUin.end();
    if (found == byUin.end()) continue;
    IcqContact& contact = *found->second;
    if (const auto value = element.Attribute("ShowStatus")) contact.showStatus = *value != u"0";
    if (const auto value = element.Attribute("PreferUnicode")) contact.preferUnicode = *value != u"0";
    if (const auto codePage = ParseNumber<int32_t>(element.Attribute("AnsiCP"))) contact.ansiCodePage = *codePage;
  }
}

std::filesystem::path CacheFilePath(const std::filesystem::path& historyFolder, std::string_view uin) {
  return AccountFile(historyFolder, uin, u".xml");
}

std::filesystem::path OptionsFilePath(const std::filesystem::path& historyFolder, std::string_view uin) {
  return AccountFile(historyFolder, uin, u"_opt.xml");
}

// Without a cache the list is empty, and so is its date: a list check must not claim a list that
// is not held.
void LoadCache(const std::filesystem::path& historyFolder, std::string_view uin, IcqContactList& list) {
  IcqCacheContents contents;
  if (const auto bytes = platform::ReadWholeFile(CacheFilePath(historyFolder, uin))) {
    if (auto parsed = ParseCache(*bytes)) contents = std::move(*parsed);
  }
  if (const auto bytes = platform::ReadWholeFile(OptionsFilePath(historyFolder, uin))) {
    ApplyOptions(*bytes, contents.contacts);
  }
  IcqListState state = list.State();
  state.modificationDate = contents.state.modificationDate;
  state.itemCount = contents.state.itemCount;
  list.Reset(state, std::move(contents.groups), std::move(contents.contacts));
}

// Saves are serialised so that two of them cannot finish in the opposite order to the one in which
// they read the list, leaving the older picture on disk.
bool SaveCache(const std::filesystem::path& historyFolder, std::string_view uin, const IcqContactList& list) {
  static std::mutex saving;
  std::lock_guard lock(saving);
  auto [state, groups, contacts] = list.Snapshot();
  const std::vector<uint8_t> options = SerializeOptions(contacts);
  const std::vector<uint8_t> cache =
      SerializeCache(IcqCacheContents{.state = state, .groups = std::move(groups), .contacts = std::move(contacts)});
  return platform::WriteFileAtomically(CacheFilePath(historyFolder, uin), cache) &&
         platform::WriteFileAtomically(OptionsFilePath(historyFolder, uin), options);
}

}  // namespace quelt::icq
