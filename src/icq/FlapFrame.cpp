#include "icq/FlapFrame.h"

#include <atomic>
#include <cstdio>

#include "icq/ByteReader.h"
#include "icq/ByteWriter.h"
#include "icq/SnacRegistry.h"
#include "platform/SecureWipe.h"

namespace quelt::icq {

namespace {

constexpr size_t kHeaderSize = 6;
constexpr size_t kSnacHeaderSize = 10;
constexpr size_t kMaxPayload = 0xFFFF;
const std::vector<uint8_t> kVersionWord{0x00, 0x00, 0x00, 0x01};

std::atomic<uint64_t> lastSerial{0};

size_t TlvsSize(const TlvChain& tlvs) {
  size_t size = 0;
  for (const Tlv& tlv : tlvs.Items()) size += 4 + tlv.value.size();
  return size;
}

// Nothing when the payload is too short for a SNAC or its extra header runs past the end: a
// command whose data cannot be located is not handed to anyone.
SnacPtr ParseSnac(std::span<const uint8_t> payload) {
  if (payload.size() < kSnacHeaderSize) return nullptr;
  ByteReader reader(payload);
  SnacHeader header;
  header.family = reader.U16();
  header.subtype = reader.U16();
  header.flags = reader.U16();
  header.requestId = reader.U32();
  if ((header.flags & kSnacFlagExtraHeader) != 0) {
    const uint16_t extraLength = reader.U16();
    if (!reader.Skip(extraLength)) return nullptr;
  }
  return SnacRegistry::MakeReceived(header, reader.Rest());
}

}  // namespace

FlapFrame::FlapFrame(uint8_t channel, uint16_t sequence, std::vector<uint8_t> prefix, TlvChain tlvs, SnacPtr snac)
    : channel_(channel),
      sequence_(sequence),
      serial_(lastSerial.fetch_add(1, std::memory_order_relaxed) + 1),
      prefix_(std::move(prefix)),
      tlvs_(std::move(tlvs)),
      snac_(std::move(snac)) {}

// A sign-on frame's chain holds the roasted password and a BOS sign-on frame's the cookie.
// The members are no longer const once destruction has begun.
FlapFrame::~FlapFrame() { const_cast<TlvChain&>(tlvs_).WipeValues(); }

FramePtr FlapFrame::ForSnac(SnacPtr snac) {
  if (snac == nullptr || kSnacHeaderSize + snac->Data().size() > kMaxPayload) return nullptr;
  return FramePtr(new FlapFrame(kChannelSnac, 0, {}, {}, std::move(snac)));
}

FramePtr FlapFrame::SignOn(TlvChain tlvs) { return WithTlvs(kChannelSignOn, 0, kVersionWord, std::move(tlvs)); }

FramePtr FlapFrame::KeepAlive() { return FramePtr(new FlapFrame(kChannelKeepAlive, 0, {}, {}, nullptr)); }

FramePtr FlapFrame::WithTlvs(uint8_t channel, uint16_t sequence, std::vector<uint8_t> prefix, TlvChain tlvs) {
  if (prefix.size() + TlvsSize(tlvs) > kMaxPayload) {
    tlvs.WipeValues();
    return nullptr;
  }
  return FramePtr(new FlapFrame(channel, sequence, std::move(prefix), std::move(tlvs), nullptr));
}

FramePtr FlapFrame::Received(uint16_t sequence, SnacPtr snac) {
  return FramePtr(new FlapFrame(kChannelSnac, sequence, {}, {}, std::move(snac)));
}

const SnacCommand* FlapFrame::SnacOfKind(SnacKind kind) const {
  return snac_ != nullptr && snac_->Kind() == kind ? snac_.get() : nullptr;
}

void FlapFrame::Serialize(uint16_t sequence, std::vector<uint8_t>& out) const {
  const size_t payload = prefix_.size() + TlvsSize(tlvs_) + (snac_ ? kSnacHeaderSize + snac_->Data().size() : 0);
  out.reserve(out.size() + kHeaderSize + payload);
  out.push_back(kFlapStart);
  out.push_back(channel_);
  out.push_back(static_cast<uint8_t>(sequence >> 8));
  out.push_back(static_cast<uint8_t>(sequence));
  out.push_back(static_cast<uint8_t>(payload >> 8));
  out.push_back(static_cast<uint8_t>(payload));
  out.insert(out.end(), prefix_.begin(), prefix_.end());

  const auto appendWiped = [&out](size_t size, const auto& part) {
    ByteWriter writer;
    writer.Reserve(size);
    part.Serialize(writer);
    std::vector<uint8_t> bytes = writer.Take();
    out.insert(out.end(), bytes.begin(), bytes.end());
    platform::Wipe(bytes);
  };
  if (snac_ != nullptr) {
    appendWiped(kSnacHeaderSize + snac_->Data().size(), *snac_);
  } else {
    for (const Tlv& tlv : tlvs_.Items()) appendWiped(4 + tlv.value.size(), tlv);
  }
}

std::string FlapFrame::Describe() const {
  std::string text = "FLAP on channel " + std::to_string(channel_);
  if (channel_ != kChannelSnac) return text;
  if (snac_ == nullptr) return text + " no snac";
  char pair[32];
  std::snprintf(pair, sizeof pair, " 0x%x/0x%x", snac_->Family(), snac_->Subtype());
  return text + pair;
}

FrameCut CutFrame(std::span<const uint8_t> buffer, size_t offset) {
  if (offset >= buffer.size()) return {.status = FrameCut::Status::Incomplete, .next = offset};
  if (buffer[offset] != kFlapStart) return {.status = FrameCut::Status::Broken, .next = offset};
  ByteReader reader(buffer.subspan(offset));
  reader.Skip(1);
  const uint8_t channel = reader.U8();
  const uint16_t sequence = reader.U16();
  const uint16_t length = reader.U16();
  if (!reader.Ok() || reader.Remaining() < length) return {.status = FrameCut::Status::Incomplete, .next = offset};
  const std::span<const uint8_t> payload = reader.Bytes(length);

  FramePtr frame;
  if (channel == kChannelSnac) {
    frame = FlapFrame::Received(sequence, ParseSnac(payload));
  } else if (payload.size() == 4 && payload[0] == 0 && payload[1] == 0) {
    frame = FlapFrame::WithTlvs(channel, sequence, {payload.begin(), payload.end()}, {});
  } else {
    frame = FlapFrame::WithTlvs(channel, sequence, {}, TlvChain::Read(payload));
  }
  return {.status = FrameCut::Status::Frame, .frame = std::move(frame), .next = offset + kHeaderSize + length};
}

}  // namespace quelt::icq
