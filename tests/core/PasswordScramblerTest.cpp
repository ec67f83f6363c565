#include "core/PasswordScrambler.h"

#include <gtest/gtest.h>

#include <string>

namespace quelt::core {
namespace {

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

TEST(PasswordScrambler, StoredFormIsFixed) {
  // Files written by earlier versions must stay readable, so the stored form never changes.
  EXPECT_EQ(EncodePassword(u"secret"), u"###94FB066676B6");
}

TEST(PasswordScrambler, RoundTripsInTheCodePageWhenItCanAndInUtf8Otherwise) {
  const struct {
    std::u16string_view password;
    std::u16string_view prefix;
    size_t bytes;  // stored, two digits each
  } cases[] = {
      {u"P@ss w0rd!~#=,:", u"###", 15},
      {u"p\u00E4ssw\u00F6rd\u00FF\u00A0", u"###", 10},  // one code-page byte per character
      {u"", u"###", 0},
      {u"\u043F\u0430\u0440\u043E\u043B\u044C", u"#U8", 12},  // Cyrillic: not in code page 1252
      {u"caf\u00E9 \u263A", u"#U8", 9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.password));
    const std::u16string stored = EncodePassword(c.password);
    EXPECT_EQ(stored.substr(0, 3), c.prefix);
    EXPECT_EQ(stored.size(), 3 + 2 * c.bytes);
    EXPECT_EQ(DecodeIcqPassword(stored), c.password);
    EXPECT_EQ(DecodeMsnPassword(stored), c.password);
  }
}

TEST(PasswordScrambler, ReadsHandEditedValues) {
  const struct {
    std::u16string (*decode)(std::u16string_view);
    std::u16string_view value;
    std::u16string_view expected;
  } cases[] = {
      {DecodeIcqPassword, u"secret", u"secret"},                      // typed in by hand
      {DecodeIcqPassword, u"##94FB066676B6", u"##94FB066676B6"},      // not the prefix
      {DecodeIcqPassword, u"###94fb 06-66:76\u00E9B6zz", u"secret"},  // junk between digits is skipped
      {DecodeIcqPassword, u"###94FB066676B", u"secre"},               // an odd last digit is dropped
      {DecodeMsnPassword, u"abc94FB066676B6", u"secret"},             // any three characters are skipped
      {DecodeMsnPassword, u"secret", u""},                            // never taken as plain text
      {DecodeMsnPassword, u"ab", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.value));
    EXPECT_EQ(c.decode(c.value), c.expected);
  }
}

}  // namespace
}  // namespace quelt::core
