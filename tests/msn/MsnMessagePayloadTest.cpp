#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "msn/MsnMessagePayload.h"

namespace quelt::msn {
namespace {

using Kind = MsnPayload::Kind;

MsnPayload Read(std::string_view bytes) {
  const std::vector<uint8_t> payload(bytes.begin(), bytes.end());
  return ReadMsnPayload(payload);
}

std::string Text(const MsnCommandPtr& command) {
  const std::vector<uint8_t> bytes = command->Bytes();
  return std::string(bytes.begin(), bytes.end());
}

// The bytes after the command line, which the line's last field must count.
std::string PayloadOf(const std::string& message) {
  const size_t lineEnd = message.find("\r\n");
  const std::string line = message.substr(0, lineEnd);
  const std::string payload = message.substr(lineEnd + 2);
  EXPECT_EQ(line.substr(line.rfind(' ') + 1), std::to_string(payload.size())) << message;
  return payload;
}

TEST(MsnMessagePayloadTest, ClassifiesPayloads) {
  const std::string text =
      "MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nX-MMS-IM-Format: FN=Arial\r\n\r\n";
  const struct {
    std::string payload;
    MsnPayload expected;
  } cases[] = {
      {"MIME-Version: 1.0\r\nContent-Type: text/x-msmsgscontrol\r\nTypingUser: bob@example.com\r\n\r\n\r\n",
       {Kind::Typing, u""}},
      {"Content-Type: text/x-msmsgscontrol", {Kind::Typing, u""}},
      {text + "Hello", {Kind::Text, u"Hello"}},
      {text + "one\r\n\r\ntwo\r\n", {Kind::Text, u"one\r\n\r\ntwo\r\n"}},
      {text, {Kind::Text, u""}},
      {text + "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", {Kind::Text, u"\u00E9t\u00E9 \u20AC \U0001F600"}},
      {text + "a\xFF-\xC3", {Kind::Text, u"a\uFFFD-\uFFFD"}},
      {text + "\xED\xA0\x80!", {Kind::Text, u"\uFFFD\uFFFD\uFFFD!"}},  // an encoded surrogate
      {"MIME-Version: 1.0\r\nContent-Type: text/plain; charset=UTF-8\r\nHello", {}},
      {"MIME-Version: 1.0\r\nContent-Type: text/x-msmsgsinvite; charset=UTF-8\r\n\r\nInvitation-Command: INVITE\r\n",
       {}},
      {"MIME-Version: 1.0\r\nContent-Type: text/x-clientcaps\r\n\r\nClient-Name: Other\r\n", {}},
      {"", {}},
      // Content types quoted in a body say nothing about the message.
      {text + "Content-Type: text/x-msmsgscontrol", {Kind::Text, u"Content-Type: text/x-msmsgscontrol"}},
      {"Content-Type: text/x-clientcaps\r\n\r\nContent-Type: text/plain\r\n\r\nhidden", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Read(c.payload), c.expected) << c.payload;
}

TEST(MsnMessagePayloadTest, OutgoingMessagesHaveTheirExactBytes) {
  EXPECT_EQ(Text(TextMessage(5, 'A', u"h\u00E9")),
            "MSG 5 A 65\r\nContent-Type: text/plain; charset=UTF-8\r\nMIME-Version: 1.0\r\n\r\nh\xC3\xA9");
  EXPECT_EQ(Text(TypingMessage(7, "alice@example.com")),
            "MSG 7 U 90\r\nContent-Type: text/x-msmsgscontrol\r\nMIME-Version: 1.0\r\nTypingUser: alice@example.com\r\n"
            "\r\n\r\n");
  EXPECT_EQ(PayloadOf(Text(TypingMessage(7, "alice@example.com"))).size(), 90u);
  EXPECT_EQ(Read(PayloadOf(Text(TypingMessage(7, "alice@example.com")))).kind, Kind::Typing);
}

TEST(MsnMessagePayloadTest, SentTextReadsBackUnchanged) {
  const std::u16string texts[] = {u"",
                                  u"Hello",
                                  u"\r\n",
                                  u"two\r\n\r\nparagraphs\r\n\r\n",
                                  u"MIME-Version: 1.0\r\nContent-Type: text/plain\r\n\r\nquoted",
                                  u"\u00E9\u00E8 \u0436 \u4E2D \U0001F600",
                                  std::u16string(5000, u'\u0436')};
  for (const auto& text : texts) {
    const MsnPayload read = Read(PayloadOf(Text(TextMessage(3, 'A', text))));
    EXPECT_EQ(read.kind, Kind::Text);
    EXPECT_EQ(read.text, text);
  }
}

}  // namespace
}  // namespace quelt::msn
