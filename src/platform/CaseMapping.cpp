#include "platform/CaseMapping.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>

namespace quelt::platform {
namespace {

// The process locale is left alone: the program never calls setlocale, and a locale object of our
// own keeps the mapping independent of the environment the program was started from.
// Freed with the image that holds it: the home screen's plugin carries a copy of this code and
// may be unloaded while its host runs on.
struct OwnLocale {
  locale_t handle = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
  ~OwnLocale() {
    if (handle != locale_t{}) freelocale(handle);
  }
};

locale_t CaseLocale() {
  static const OwnLocale kLocale;
  return kLocale.handle;
}

bool IsSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDFFF; }

char16_t Checked(char16_t original, wint_t mapped) {
  if (mapped > 0xFFFF || IsSurrogate(static_cast<char16_t>(mapped))) return original;
  return static_cast<char16_t>(mapped);
}

}  // namespace

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string AsciiUpper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = AsciiUpper(c);
  return upper;
}

char16_t ToUpperCase(char16_t c) {
  if (IsSurrogate(c)) return c;
  if (const locale_t locale = CaseLocale()) return Checked(c, towupper_l(c, locale));
  return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

char16_t ToLowerCase(char16_t c) {
  if (IsSurrogate(c)) return c;
  if (const locale_t locale = CaseLocale()) return Checked(c, towlower_l(c, locale));
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + u'a' - u'A') : c;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char16_t x, char16_t y) { return ToUpperCase(x) == ToUpperCase(y); });
}

}  // namespace quelt::platform
