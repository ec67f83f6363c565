#pragma once

#include <string>
#include <string_view>

namespace quelt::core {

// An identifier from a server made safe as one file-name component. Ordinary identifiers (ICQ
// numbers, e-mail addresses, names in any script) come back unchanged, so existing histories keep
// their names. '/', '\', '%' and control characters become "%XX", and the whole names "." and ".."
// become "%2E" and "%2E%2E"; the empty name becomes "%", which nothing else gives. Different
// identifiers always give different names.
[[nodiscard]] std::u16string HistoryFileName(std::u16string_view identifier);

}  // namespace quelt::core
