#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

namespace quelt::platform {
namespace {

using namespace std::string_literals;

TEST(Utf8Test, DecodesWellFormedTextOfEveryLength) {
  // "A", "é", "€", "𝄞" (a surrogate pair in UTF-16), with an embedded NUL.
  const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E"s + '\0' + "z";
  const std::u16string expected = u"A\u00E9\u20AC\U0001D11E"s + u'\0' + u"z";
  const DecodedText decoded = DecodeUtf8(utf8);
  EXPECT_EQ(decoded.text, expected);
  EXPECT_TRUE(decoded.lossless);
  EXPECT_EQ(Utf16ToUtf8(expected), utf8);
}

TEST(Utf8Test, ReplacesEachMalformedSequenceWithOneReplacementCharacter) {
  struct Case {
    const char* name;
    std::string input;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {"overlong two-byte", "a\xC0\x80z", u"a\uFFFD\uFFFDz"},
      {"overlong three-byte", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},
      {"overlong four-byte", "\xF0\x80\x80\xAF", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"encoded high surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
      {"encoded low surrogate", "\xED\xBF\xBF.", u"\uFFFD\uFFFD\uFFFD."},
      {"above U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
      {"lead byte F5", "\xF5\x80", u"\uFFFD\uFFFD"},
      {"lone continuation", "x\x80y", u"x\uFFFDy"},
      {"truncated at the end", "ok\xE2\x82", u"ok\uFFFD"},
      {"truncated before ASCII", "\xF0\x9F\x98" "A", u"\uFFFDA"},
      {"truncated before a new lead", "\xE2\x82\xC3\xA9", u"\uFFFD\u00E9"},
      {"FF byte", "\xFF", u"\uFFFD"},
  };
  for (const auto& c : cases) {
    const DecodedText decoded = DecodeUtf8(c.input);
    EXPECT_EQ(decoded.text, c.expected) << c.name;
    EXPECT_FALSE(decoded.lossless) << c.name;
    EXPECT_EQ(Utf8ToUtf16(c.input), c.expected) << c.name;
  }
}

TEST(Utf8Test, BoundaryCodePointsAreAccepted) {
  const std::string utf8 = "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF";
  const std::u16string expected = u"\u007F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF";
  const DecodedText decoded = DecodeUtf8(utf8);
  EXPECT_TRUE(decoded.lossless);
  EXPECT_EQ(decoded.text, expected);
  EXPECT_EQ(Utf16ToUtf8(expected), utf8);
}

TEST(Utf8Test, UnpairedSurrogatesBecomeReplacementCharacters) {
  const std::u16string text = u"a"s + char16_t(0xD83D) + u"b" + char16_t(0xDE00) + char16_t(0xDE00) + char16_t(0xD800);
  EXPECT_EQ(Utf16ToUtf8(text), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
  const EncodedText encoded = EncodeCodePage(text, kUtf8CodePage);
  EXPECT_FALSE(encoded.lossless);
  EXPECT_TRUE(EncodeCodePage(u"\U0001F600", kUtf8CodePage).lossless);
}

TEST(Utf8Test, EmojiRoundTrip) {
  const std::u16string emoji = u"hi \U0001F600\U0001F44D\U0001F3FD!";
  const std::string utf8 = Utf16ToUtf8(emoji);
  EXPECT_EQ(utf8, "hi \xF0\x9F\x98\x80\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD!");
  EXPECT_EQ(Utf8ToUtf16(utf8), emoji);
  EXPECT_EQ(DecodeCodePage(utf8, kUtf8CodePage).text, emoji);
}

struct CodePageCase {
  const char* name;
  uint32_t codePage;
  std::u16string text;
  std::string bytes;
};

TEST(CodePageTest, ConvertsBothWaysThroughKnownCodePages) {
  const std::vector<CodePageCase> cases = {
      {"Cyrillic in 1251", 1251, u"Привет", "\xCF\xF0\xE8\xE2\xE5\xF2"},
      {"Cyrillic in KOI8-R", 20866, u"Привет", "\xF0\xD2\xC9\xD7\xC5\xD4"},
      {"Ukrainian in KOI8-U", 21866, u"ґі", "\xAD\xA6"},
      {"Cyrillic in ISO-8859-5", 28595, u"Мир", "\xBC\xD8\xE0"},
      {"euro in 1252", 1252, u"€5", "\x80" "5"},
      {"euro in the ANSI code page", kAnsiCodePage, u"€", "\x80"},
      {"Latin-1", 28591, u"Ü", "\xDC"},
      {"Japanese in 932", 932, u"日本語", "\x93\xFA\x96\x7B\x8C\xEA"},
      {"ASCII", 20127, u"plain", "plain"},
      {"UTF-16LE", 1200, u"A€\U0001F600", "A\0\xAC\x20\x3D\xD8\x00\xDE"s},
      {"UTF-16BE", 1201, u"A€", "\0A\x20\xAC"s},
      {"embedded NUL", 1251, u"а\0б"s, "\xE0\0\xE1"s},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(IsCodePageKnown(c.codePage)) << c.name;
    const EncodedText encoded = EncodeCodePage(c.text, c.codePage);
    EXPECT_EQ(encoded.bytes, c.bytes) << c.name;
    EXPECT_TRUE(encoded.lossless) << c.name;
    const DecodedText decoded = DecodeCodePage(c.bytes, c.codePage);
    EXPECT_EQ(decoded.text, c.text) << c.name;
    EXPECT_TRUE(decoded.lossless) << c.name;
  }
}

TEST(CodePageTest, CharactersTheCodePageLacksBecomeQuestionMarks) {
  const std::vector<CodePageCase> cases = {
      {"Cyrillic into 1252", 1252, u"aЖb", "a?b"},
      {"emoji (a surrogate pair) into 1251", 1251, u"x\U0001F600y", "x?y"},
      {"unpaired surrogate into 1252", 1252, u"x"s + char16_t(0xD800) + u"y", "x?y"},
      {"trailing high surrogate", 1252, u"x"s + char16_t(0xD83D), "x?"},
      {"accent into ASCII", 20127, u"café", "caf?"},
      {"euro into Latin-1", 28591, u"€", "?"},
  };
  for (const auto& c : cases) {
    const EncodedText encoded = EncodeCodePage(c.text, c.codePage);
    EXPECT_EQ(encoded.bytes, c.bytes) << c.name;
    EXPECT_FALSE(encoded.lossless) << c.name;
  }
}

TEST(CodePageTest, InvalidBytesDecodeToReplacementCharacters) {
  const std::vector<CodePageCase> cases = {
      {"undefined byte in 1252", 1252, u"a\uFFFDb", "a\x81" "b"},
      {"high byte in ASCII", 20127, u"\uFFFDx", "\xC3x"},
      {"bad trail byte in 932", 932, u"\uFFFD\u0001", "\x81\x01"},
      {"truncated double byte in 932", 932, u"日\uFFFD", "\x93\xFA\x93"},
      {"odd byte in UTF-16LE", 1200, u"A\uFFFD", "A\0B"s},
      {"unpaired surrogate in UTF-16BE", 1201, u"\uFFFDA", "\xD8\x00\x00\x41"s},
      {"malformed UTF-8", kUtf8CodePage, u"\uFFFD", "\xC3"},
  };
  for (const auto& c : cases) {
    const DecodedText decoded = DecodeCodePage(c.bytes, c.codePage);
    EXPECT_EQ(decoded.text, c.text) << c.name;
    EXPECT_FALSE(decoded.lossless) << c.name;
  }
}

TEST(CodePageTest, UnknownCodePageGivesAnEmptyLossyResult) {
  for (const uint32_t codePage : {12345u, 65000u, 0x7FFFFFFFu}) {
    EXPECT_FALSE(IsCodePageKnown(codePage)) << codePage;
    const EncodedText encoded = EncodeCodePage(u"text", codePage);
    EXPECT_TRUE(encoded.bytes.empty());
    EXPECT_FALSE(encoded.lossless);
    const DecodedText decoded = DecodeCodePage("text", codePage);
    EXPECT_TRUE(decoded.text.empty());
    EXPECT_FALSE(decoded.lossless);
  }
  EXPECT_TRUE(IsCodePageKnown(kAnsiCodePage));
  EXPECT_TRUE(IsCodePageKnown(kUtf8CodePage));
}

TEST(CodePageTest, LongTextsConvertWhole) {
  std::u16string text;
  for (int i = 0; i < 20000; ++i) text += u"Ёж ";
  const EncodedText encoded = EncodeCodePage(text, 1251);
  ASSERT_EQ(encoded.bytes.size(), text.size());
  EXPECT_EQ(DecodeCodePage(encoded.bytes, 1251).text, text);
  // Two-byte characters need more output than input.
  std::u16string japanese(30000, u'語');
  EXPECT_EQ(DecodeCodePage(EncodeCodePage(japanese, 932).bytes, 932).text, japanese);
}

TEST(CodePageTest, ThreadsConvertAtTheSameTime) {
  std::vector<std::future<bool>> results;
  for (int t = 0; t < 4; ++t) {
    results.push_back(std::async(std::launch::async, [t] {
      const uint32_t codePage = t % 2 == 0 ? 1251 : 932;
      const std::u16string text = t % 2 == 0 ? u"Съешь же ещё этих мягких булок" : u"いろはにほへと";
      for (int i = 0; i < 300; ++i) {
        const EncodedText encoded = EncodeCodePage(text, codePage);
        if (!encoded.lossless || DecodeCodePage(encoded.bytes, codePage).text != text) return false;
      }
      return true;
    }));
  }
  for (auto& result : results) EXPECT_TRUE(result.get());
}

TEST(CodePageTest, AsciiWidensByteForByte) {
  EXPECT_EQ(AsciiToUtf16("GET /\r\n"), u"GET /\r\n");
  EXPECT_EQ(AsciiToUtf16(""), u"");
}

}  // namespace
}  // namespace quelt::platform
