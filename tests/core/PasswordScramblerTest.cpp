#include "core/PasswordScrambler.h"

#include <gtest/gtest.h>

#include <string>

namespace quelt::core {
namespace {

std::string Narrow(std::u16string_view text) { return std::string(text.begin(), text.end()); }

TEST(PasswordScrambler, StoredFormIsFixed) {
  // Files written by earlier versions must stay readable, so the stored form never changes.
  EXPECT_EQ(EncodePassword(u"secret"), u"###94FB066676B6");
  EXPECT_EQ(EncodePassword(u"p\u00E4ssw\u00F6rd"), u"###977A36674434EBE4");
  EXPECT_EQ(EncodePassword(u""), u"###");
}

TEST(PasswordScrambler, RoundTrips) {
  std::u16string longPassword;
  for (int i = 0; i < 600; ++i) longPassword += static_cast<char16_t>(u' ' + i % 95);
  const std::u16string passwords[] = {
      u"",
      u"a",
      u"secret",
      u"P@ss w0rd!~#=,:",
      u"p\u00E4ssw\u00F6rd",
      u"\u20ACuro\u00FF\u00A0\u00C0",  // CP1252 bytes 0x80, 0xFF, 0xA0, 0xC0
      longPassword,                     // the key stream wraps around several times
  };
  for (const auto& password : passwords) {
    SCOPED_TRACE(Narrow(password));
    const std::u16string stored = EncodePassword(password);
    ASSERT_EQ(stored.size(), 3 + 2 * password.size());
    for (const char16_t c : stored.substr(3)) {
      EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'));
    }
    EXPECT_EQ(DecodeIcqPassword(stored), password);
    EXPECT_EQ(DecodeMsnPassword(stored), password);
  }
}

TEST(PasswordScrambler, EveryByteRoundTrips) {
  std::string bytes;
  for (int i = 0; i < 512; ++i) bytes += static_cast<char>(i % 256);
  const std::string scrambled = ScrambleBytes(bytes);
  EXPECT_NE(scrambled, bytes);
  EXPECT_EQ(UnscrambleBytes(scrambled), bytes);
}

TEST(PasswordScrambler, StoresTheAnsiCodePage) {
  // One byte per character in Windows-1252, not UTF-8.
  EXPECT_EQ(EncodePassword(u"\u00E4"), u"###2B");  // 0xE4
  EXPECT_EQ(EncodePassword(u"\u20AC"), u"###87");  // 0x80
  // Characters outside the code page cannot be stored; the format keeps '?' in their place.
  EXPECT_EQ(DecodeIcqPassword(EncodePassword(u"\u043F\u0430\u0440\u043E\u043B\u044C")), u"??????");
}

TEST(PasswordScrambler, ReadingIcqPassword) {
  const std::u16string stored = EncodePassword(u"secret");  // "###94FB066676B6"
  const struct {
    std::u16string_view value;
    std::u16string_view expected;
  } cases[] = {
      {u"secret", u"secret"},                        // typed in by hand
      {u"##", u"##"},                                // too short for the prefix
      {u"#", u"#"},
      {u"", u""},
      {u"##94FB066676B6", u"##94FB066676B6"},        // not the prefix
      {u"###", u""},
      {u"###94fb066676b6", u"secret"},               // lower-case digits
      {u"###94 FB-06:66 76\u00E9B6zz", u"secret"},   // junk between digits is skipped
      {u"###94FB066676B6A", u"secret"},              // an odd last digit is dropped
      {u"###94FB066676B", u"secre"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.value));
    EXPECT_EQ(DecodeIcqPassword(c.value), c.expected);
  }
  EXPECT_EQ(DecodeIcqPassword(stored), u"secret");
}

TEST(PasswordScrambler, ReadingMsnPasswordSkipsThreeCharacters) {
  const struct {
    std::u16string_view value;
    std::u16string_view expected;
  } cases[] = {
      {u"###94FB066676B6", u"secret"},
      {u"abc94FB066676B6", u"secret"},  // whatever the first three are
      {u"94FB066676B6", u"O\u00D0\u00C2w"},  // no prefix: the first digits are lost
      {u"secret", u""},                 // plain text is never taken as it is
      {u"ab", u""},
      {u"", u""},
      {u"###", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.value));
    EXPECT_EQ(DecodeMsnPassword(c.value), c.expected);
  }
}

}  // namespace
}  // namespace quelt::core
