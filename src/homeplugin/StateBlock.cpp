#include "homeplugin/StateBlock.h"

#include <algorithm>

#include "platform/TextCodec.h"

namespace quelt::home {
namespace {

void PutWord(std::vector<uint8_t>& out, uint32_t word) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(word >> shift));
}

void PutService(std::vector<uint8_t>& out, const std::optional<ServiceTileState>& service) {
  const bool present = service.has_value() && service->enabled;
  PutWord(out, present ? 1 : 0);
  if (!present) return;
  PutWord(out, static_cast<uint32_t>(service->online));
  PutWord(out, service->unread);
  PutWord(out, static_cast<uint32_t>(service->text.size()));
  const std::string text = platform::EncodeCodePage(service->text, platform::kUtf16LeCodePage).bytes;
  out.insert(out.end(), text.begin(), text.end());
  if (out.size() % 4 != 0) out.insert(out.end(), 2, 0);
}

class BlockReader {
 public:
  explicit BlockReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  [[nodiscard]] bool HasWord() const { return offset_ <= bytes_.size() && bytes_.size() - offset_ >= 4; }
  uint32_t Word() {
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i) word |= static_cast<uint32_t>(bytes_[offset_ + i]) << (8 * i);
    offset_ += 4;
    return word;
  }

  void ReadService(ServiceTileState& service) {
    if (HasWord()) service.online = static_cast<int32_t>(Word());
    if (HasWord()) service.unread = Word();
    if (!HasWord()) return;
    const uint64_t length = Word();
    const uint64_t byteCount = length * 2;
    if (offset_ <= bytes_.size() && byteCount <= bytes_.size() - offset_) {
      const size_t kept = static_cast<size_t>(std::min<uint64_t>(length, kTileTextLimit));
      service.text.resize(kept);
      for (size_t i = 0; i < kept; ++i) {
        service.text[i] = static_cast<char16_t>(bytes_[offset_ + 2 * i] | bytes_[offset_ + 2 * i + 1] << 8);
      }
    }
    // Stepping over a text that is not all there leaves nothing more to read.
    offset_ = static_cast<size_t>(std::min<uint64_t>(offset_ + byteCount, bytes_.size() + 1));
    if (offset_ % 4 != 0) offset_ += 2;
  }

 private:
  std::span<const uint8_t> bytes_;
  size_t offset_ = 0;
};

}  // namespace

std::vector<uint8_t> EncodeStateBlock(const std::optional<ServiceTileState>& icq,
                                      const std::optional<ServiceTileState>& msn) {
  std::vector<uint8_t> block;
  PutService(block, icq);
  PutService(block, msn);
  return block;
}

MessengerTileState ReadStateMessage(uint32_t tag, std::span<const uint8_t> block) {
  MessengerTileState state;
  if (tag == kMessengerGoneTag) return state;
  state.running = true;
  BlockReader reader(block);
  if (reader.HasWord()) state.icq.enabled = reader.Word() == 1;
  if (state.icq.enabled) reader.ReadService(state.icq);
  if (reader.HasWord()) state.msn.enabled = reader.Word() == 1;
  if (state.msn.enabled) reader.ReadService(state.msn);
  return state;
}

}  // namespace quelt::home
