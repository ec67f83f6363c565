#include "download/DownloadFileName.h"

#include <algorithm>

#include "platform/CaseMapping.h"
#include "platform/TextCodec.h"

namespace quelt::download {
namespace {

constexpr std::u16string_view kUnknownFile = u"Unknown.file";

// The path of a link: after "scheme://host", before any query or fragment; empty when the link
// cannot be split.
std::u16string_view PathOf(std::u16string_view url) {
  const size_t scheme = url.find(u"://");
  if (scheme == std::u16string_view::npos || scheme == 0) return {};
  const size_t slash = url.find(u'/', scheme + 3);
  if (slash == std::u16string_view::npos) return {};
  std::u16string_view path = url.substr(slash);
  return path.substr(0, path.find_first_of(u"?#"));
}

// File systems that ignore case would take "downloads.XML" for the list's file.
bool SameIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return std::ranges::equal(
      a, b, [](char16_t x, char16_t y) { return platform::ToLowerCase(x) == platform::ToLowerCase(y); });
}

}  // namespace

std::u16string FileNameFromLink(std::u16string_view url) {
  std::u16string_view path = PathOf(url);
  if (path.size() <= 1) return std::u16string(kUnknownFile);
  // "http://host/folder/" names its file after the folder.
  if (path.back() == u'/') path.remove_suffix(1);
  const std::u16string name = SafeFileName(path.substr(path.rfind(u'/') + 1));
  return name.empty() ? std::u16string(kUnknownFile) : name;
}

std::u16string SafeFileName(std::u16string_view name) {
  std::u16string safe(name);
  // A separator or a control character would leave the folder or make a name no one can type.
  std::replace_if(
      safe.begin(), safe.end(), [](char16_t c) { return c == u'/' || c < 0x20; }, u'_');
  if (!safe.empty() && safe.find_first_not_of(u'.') == std::u16string::npos) return std::u16string(kUnknownFile);
  if (SameIgnoringCase(safe, kStateFileName)) safe.insert(safe.begin(), u'_');
  return safe;
}

std::u16string UniqueFileName(const std::u16string& name, const std::function<bool(const std::u16string&)>& taken) {
  if (!taken(name)) return name;
  // "archive.tar.gz" becomes "archive (2).tar.gz"; ".profile" keeps its dot in front.
  size_t dot = name.find(u'.', 1);
  if (dot == std::u16string::npos) dot = name.size();
  for (int number = 2;; ++number) {
    std::u16string candidate =
        name.substr(0, dot) + u" (" + platform::AsciiToUtf16(std::to_string(number)) + u")" + name.substr(dot);
    if (!taken(candidate)) return candidate;
  }
}

}  // namespace quelt::download
