// The bytes after the first are the data of an incoming message; the first byte puts channel 1, 2
// or 4 into its header, or leaves the header as it is. Whatever is read must come from within the
// data, the acknowledgement of a channel-2 message must hold exactly what was copied, and the text
// of a channel-1 message must survive being sent back as Unicode. The same bytes are also read as
// a typing notification, a server acknowledgement and presence blocks.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "icq/IcqMessageCodec.h"

namespace {

using namespace quelt::icq;

constexpr uint32_t kCodePage = 1251;

void CheckMessage(std::span<const uint8_t> data) {
  const auto message = ParseIncomingMessage(data, kCodePage);
  if (!message) return;
  const size_t uinEnd = 11 + size_t{data[10]};
  if ((message->channel != 1 && message->channel != 2 && message->channel != 4) || message->senderUin.empty() ||
      message->senderUin.size() != data[10] || uinEnd + 4 > data.size() || message->text.size() > data.size() ||
      message->ack.has_value() != (message->channel == 2)) {
    std::abort();
  }
  if (const auto& ack = message->ack) {
    if (ack->cookie != message->cookie || ack->uin != message->senderUin || ack->messageType != message->messageType ||
        ack->firstBlock.size() + ack->secondBlock.size() + ack->trailer.size() > data.size()) {
      std::abort();
    }
    const SnacPtr reply = MakeChannel2Ack(*ack);
    if (reply->Data().size() !=
        uinEnd + 2 + 4 + ack->firstBlock.size() + ack->secondBlock.size() + 6 + 3 + ack->trailer.size()) {
      std::abort();
    }
  }
  if (message->channel != 1) return;
  const EncodedText encoded = ChooseEncoding(message->text, false, true, true, kCodePage);
  const SnacPtr sent = MakeSendMessage(message->cookie, message->senderUin, encoded, false);
  if (sent == nullptr) return;
  // What was sent, with the warning level and TLV count a received message carries.
  std::vector<uint8_t> echoed(sent->Data().begin(), sent->Data().begin() + static_cast<long>(uinEnd));
  echoed.insert(echoed.end(), 4, 0);
  echoed.insert(echoed.end(), sent->Data().begin() + static_cast<long>(uinEnd), sent->Data().end());
  const auto again = ParseIncomingMessage(echoed, kCodePage);
  if (!again || again->text != message->text || again->senderUin != message->senderUin) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 0xFFFF) return 0;
  std::vector<uint8_t> rest(data + 1, data + size);
  constexpr uint8_t kChannels[] = {1, 2, 4};
  if (data[0] % 4 < 3 && rest.size() >= 10) {
    rest[8] = 0;
    rest[9] = kChannels[data[0] % 4];
  }
  CheckMessage(rest);

  if (ParseServerAck(rest).has_value() != (rest.size() >= 8)) std::abort();
  if (const auto typing = ParseTypingNotification(rest)) {
    if (typing->uin.empty() || typing->uin.size() != rest[10] || 13 + typing->uin.size() > rest.size()) std::abort();
    const SnacPtr echoed = MakeTypingNotification(typing->uin, typing->state);
    const auto again = ParseTypingNotification(echoed->Data());
    if (!again || again->uin != typing->uin || again->state != typing->state) std::abort();
  }
  const auto blocks = ParseUserInfoBlocks(rest);
  if (blocks.size() > rest.size() / 5) std::abort();  // every block has a whole header
  return 0;
}
