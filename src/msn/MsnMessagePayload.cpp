#include "msn/MsnMessagePayload.h"

#include "platform/TextCodec.h"

namespace quelt::msn {
namespace {

constexpr std::string_view kTypingType = "Content-Type: text/x-msmsgscontrol";
constexpr std::string_view kTextType = "Content-Type: text/plain";
constexpr std::string_view kBlankLine = "\r\n\r\n";

}  // namespace

// Only the headers are searched: a text that quotes a content type is still text.
MsnPayload ReadMsnPayload(std::span<const uint8_t> payload) {
  const std::string_view bytes(reinterpret_cast<const char*>(payload.data()), payload.size());
  const size_t blank = bytes.find(kBlankLine);
  const std::string_view headers = bytes.substr(0, blank);
  if (headers.find(kTypingType) != std::string_view::npos) return {MsnPayload::Kind::Typing, {}};
  if (blank == std::string_view::npos || headers.find(kTextType) == std::string_view::npos) return {};
  return {MsnPayload::Kind::Text, platform::Utf8ToUtf16(bytes.substr(blank + kBlankLine.size()))};
}

MsnCommandPtr TextMessage(int transactionId, char ack, std::u16string_view text) {
  const std::string utf8 = platform::Utf16ToUtf8(text);
  return MsnCommand::Outgoing("MSG " + std::to_string(transactionId) + ' ' + ack,
                              {{"Content-Type", "text/plain; charset=UTF-8"}, {"MIME-Version", "1.0"}},
                              std::vector<uint8_t>(utf8.begin(), utf8.end()));
}

MsnCommandPtr TypingMessage(int transactionId, std::string_view account) {
  return MsnCommand::Outgoing(
      "MSG " + std::to_string(transactionId) + " U",
      {{"Content-Type", "text/x-msmsgscontrol"}, {"MIME-Version", "1.0"}, {"TypingUser", std::string(account)}},
      std::vector<uint8_t>{'\r', '\n'});
}

}  // namespace quelt::msn
