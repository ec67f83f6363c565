#include "core/HistoryFileName.h"

namespace quelt::core {
namespace {

bool NeedsEscape(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == u'/' || c == u'\\' || c == u'%'; }

void AppendEscaped(std::u16string& out, char16_t c) {
  constexpr char16_t kHex[] = u"0123456789ABCDEF";
  out += u'%';
  out += kHex[(c >> 4) & 0xF];
  out += kHex[c & 0xF];
}

}  // namespace

std::u16string HistoryFileName(std::u16string_view identifier) {
  if (identifier.empty()) return u"%";
  if (identifier == u"." || identifier == u"..") {
    std::u16string dots;
    for (const char16_t c : identifier) AppendEscaped(dots, c);
    return dots;
  }
  std::u16string name;
  name.reserve(identifier.size());
  for (const char16_t c : identifier) {
    if (NeedsEscape(c)) {
      AppendEscaped(name, c);
    } else {
      name += c;
    }
  }
  return name;
}

}  // namespace quelt::core
