#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quelt::download {

inline constexpr char16_t kStateFileName[] = u"Downloads.xml";

// The local name for a link: the last segment of its path, or "Unknown.file" when the link has
// no path of more than one character. The name always stays a plain name inside the incoming
// folder: it never holds a separator, is never "." or "..", and never names the list's own file.
[[nodiscard]] std::u16string FileNameFromLink(std::u16string_view url);

// A stored or given name made safe the same way; an empty name stays empty.
[[nodiscard]] std::u16string SafeFileName(std::u16string_view name);

// The name, or "name (2).ext", "name (3).ext" and so on: the first that `taken` does not claim.
[[nodiscard]] std::u16string UniqueFileName(const std::u16string& name,
                                            const std::function<bool(const std::u16string&)>& taken);

}  // namespace quelt::download
