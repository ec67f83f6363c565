// A meta reply is arbitrary SNAC data. The envelope's payload must lie within the data, and the
// offline message, information parts and search result read from it must fit in that payload.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "icq/IcqMetaCodec.h"
#include "platform/TextCodec.h"

namespace {

using namespace quelt::icq;

constexpr uint32_t kCodePage = 1251;

size_t TextSize(const IcqUserInfo& info) {
  size_t size = 0;
  for (const std::u16string* text : {&info.nickname, &info.firstName, &info.lastName, &info.email, &info.city,
                                     &info.state, &info.phone, &info.fax, &info.street, &info.cellular, &info.zip,
                                     &info.homepage, &info.originalCity, &info.originalState, &info.notes}) {
    size += text->size();
  }
  return size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFF) return 0;
  const std::span<const uint8_t> bytes(data, size);
  if (const auto range = quelt::icq::ParseAgeRange(
          quelt::platform::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size)))) {
    if (range->first > range->second) std::abort();
  }
  const auto reply = ParseMetaReply(bytes);
  if (!reply) return 0;
  const auto* const end = data + size;
  if (reply->payload.data() < data + 14 || reply->payload.data() + reply->payload.size() > end ||
      (reply->success && reply->command != kMetaReply)) {
    std::abort();
  }
  if (const auto message = ParseOfflineMessage(*reply, kCodePage)) {
    if (reply->command != kMetaOfflineMessage || reply->payload.size() < 14 ||
        message->text.size() > reply->payload.size() - 14) {
      std::abort();
    }
  }
  IcqUserInfo info;
  ReadUserInfoPart(*reply, kCodePage, info);
  if (TextSize(info) > reply->payload.size()) std::abort();
  if (const auto result = ParseSearchResult(*reply, kCodePage)) {
    if (result->last != (reply->subtype == kMetaLastSearchResult) ||
        result->nickname.size() + result->firstName.size() + result->lastName.size() + result->email.size() >
            reply->payload.size()) {
      std::abort();
    }
  }
  return 0;
}
