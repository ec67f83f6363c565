#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

namespace quelt::platform {
namespace {

using namespace std::string_literals;

// Run on two threads at once, as the iconv converters are pooled and shared.
TEST(TextCodecTest, ConvertsThroughCodePagesAndFlagsEveryLoss) {
  enum class Kind { RoundTrip, LossyEncode, LossyDecode };
  struct Case {
    const char* name;
    Kind kind;
    uint32_t codePage;
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {"UTF-8", Kind::RoundTrip, kUtf8CodePage, u"A\u00E9\u20AC\U0001D11E", "A\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E"},
      {"UTF-8 boundaries", Kind::RoundTrip, kUtf8CodePage, u"\u007F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U0010FFFF",
       "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF"},
      {"Cyrillic and NUL in 1251", Kind::RoundTrip, 1251, u"Пр\0ивет"s, "\xCF\xF0\0\xE8\xE2\xE5\xF2"s},
      {"euro in the ANSI code page", Kind::RoundTrip, kAnsiCodePage, u"5€", "5\x80"},
      {"Japanese in 932", Kind::RoundTrip, 932, u"日本語", "\x93\xFA\x96\x7B\x8C\xEA"},
      {"UTF-16LE surrogate pair", Kind::RoundTrip, 1200, u"A\U0001F600", "A\0\x3D\xD8\x00\xDE"s},
      {"Cyrillic into 1252", Kind::LossyEncode, 1252, u"aЖb", "a?b"},
      {"surrogate pair into 1251", Kind::LossyEncode, 1251, u"x\U0001F600y", "x?y"},
      {"unpaired surrogate into 1252", Kind::LossyEncode, 1252, u"x"s + char16_t(0xD800) + u"y", "x?y"},
      {"unpaired surrogate into UTF-8", Kind::LossyEncode, kUtf8CodePage, u"x"s + char16_t(0xDE00), "x\xEF\xBF\xBD"},
      {"unknown code page", Kind::LossyEncode, 12345, u"text", ""},
      {"overlong UTF-8", Kind::LossyDecode, kUtf8CodePage, u"a\uFFFD\uFFFDz", "a\xC0\x80z"},
      {"encoded surrogate", Kind::LossyDecode, kUtf8CodePage, u"\uFFFD\uFFFD\uFFFD", "\xED\xA0\x80"},
      {"above U+10FFFF", Kind::LossyDecode, kUtf8CodePage, u"\uFFFD\uFFFD\uFFFD\uFFFD", "\xF4\x90\x80\x80"},
      {"truncated UTF-8", Kind::LossyDecode, kUtf8CodePage, u"\uFFFD\u00E9ok\uFFFD", "\xE2\x82\xC3\xA9ok\xE2\x82"},
      {"undefined byte in 1252", Kind::LossyDecode, 1252, u"a\uFFFD", "a\x81"},
      {"truncated double byte in 932", Kind::LossyDecode, 932, u"日\uFFFD", "\x93\xFA\x93"},
      {"odd byte in UTF-16LE", Kind::LossyDecode, 1200, u"A\uFFFD", "A\0B"s},
      {"unknown code page", Kind::LossyDecode, 12345, u"", "text"},
  };
  const auto check = [&cases] {
    for (const auto& c : cases) {
      if (c.kind != Kind::LossyDecode) {
        const EncodedText encoded = EncodeCodePage(c.text, c.codePage);
        EXPECT_EQ(encoded.bytes, c.bytes) << c.name;
        EXPECT_EQ(encoded.lossless, c.kind == Kind::RoundTrip) << c.name;
        EXPECT_TRUE(c.codePage != kUtf8CodePage || Utf16ToUtf8(c.text) == c.bytes) << c.name;
      }
      if (c.kind != Kind::LossyEncode) {
        const DecodedText decoded = DecodeCodePage(c.bytes, c.codePage);
        EXPECT_EQ(decoded.text, c.text) << c.name;
        EXPECT_EQ(decoded.lossless, c.kind == Kind::RoundTrip) << c.name;
        EXPECT_TRUE(c.codePage != kUtf8CodePage || Utf8ToUtf16(c.bytes) == c.text) << c.name;
      }
      if (c.kind != Kind::RoundTrip) continue;
      std::u16string longText;  // long enough to outgrow any first guess at the output size
      for (int i = 0; i < 10000; ++i) longText += c.text;
      EXPECT_EQ(DecodeCodePage(EncodeCodePage(longText, c.codePage).bytes, c.codePage).text, longText) << c.name;
    }
  };
  auto other = std::async(std::launch::async, check);
  check();
  other.get();
}

}  // namespace
}  // namespace quelt::platform
