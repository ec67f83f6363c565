#include "icq/IcqAuthorization.h"

#include "icq/ByteReader.h"
#include "platform/TextCodec.h"

namespace quelt::icq {
namespace {

constexpr uint8_t kAuthorizationGranted = 1;

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// The UIN with its one-byte length; empty when it is not wholly there.
std::string ReadUin(ByteReader& reader) {
  const auto uin = reader.Bytes(reader.U8());
  return reader.Ok() ? std::string(AsText(uin)) : std::string();
}

}  // namespace

// Without a UIN there is nobody to show the request for or to answer, so such commands give
// nothing.
std::optional<AuthorizationRequestIn> ParseAuthorizationRequest(std::span<const uint8_t> data) {
  ByteReader reader(data);
  AuthorizationRequestIn request{.uin = ReadUin(reader), .reason = {}};
  if (request.uin.empty()) return std::nullopt;
  const auto reason = reader.Bytes(reader.U16());
  if (reader.Ok()) request.reason = platform::Utf8ToUtf16(AsText(reason));
  return request;
}

std::optional<AuthorizationReplyIn> ParseAuthorizationReply(std::span<const uint8_t> data) {
  ByteReader reader(data);
  AuthorizationReplyIn reply{.uin = ReadUin(reader), .granted = false};
  if (reply.uin.empty()) return std::nullopt;
  const uint8_t flag = reader.U8();
  reply.granted = reader.Ok() && flag == kAuthorizationGranted;
  return reply;
}

std::string ParseYouWereAdded(std::span<const uint8_t> data) {
  ByteReader reader(data);
  return ReadUin(reader);
}

}  // namespace quelt::icq
