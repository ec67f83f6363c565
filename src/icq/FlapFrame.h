#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "icq/SnacCommand.h"
#include "icq/Tlv.h"
#include "net/Packet.h"

namespace quelt::icq {

inline constexpr uint8_t kFlapStart = 0x2A;
inline constexpr uint8_t kChannelSignOn = 1;
inline constexpr uint8_t kChannelSnac = 2;
inline constexpr uint8_t kChannelError = 3;
inline constexpr uint8_t kChannelSignOff = 4;
inline constexpr uint8_t kChannelKeepAlive = 5;

// One FLAP frame, received or to be sent. Every frame gets a serial number from one process-wide
// counter, by which a written frame is reported back. Immutable once built.
class FlapFrame final : public net::Packet {
 public:
  // Channel 2 carrying the command.
  [[nodiscard]] static std::shared_ptr<const FlapFrame> ForSnac(SnacPtr snac);
  // Channel 1: the version word 00 00 00 01, then the TLVs (none for a plain hello).
  [[nodiscard]] static std::shared_ptr<const FlapFrame> SignOn(TlvChain tlvs);
  // Channel 5 with an empty payload.
  [[nodiscard]] static std::shared_ptr<const FlapFrame> KeepAlive();
  // Any channel other than 2, as received or built: a prefix (the version word) and TLVs.
  [[nodiscard]] static std::shared_ptr<const FlapFrame> WithTlvs(uint8_t channel, uint16_t sequence,
                                                                 std::vector<uint8_t> prefix, TlvChain tlvs);
  // A received channel-2 frame; `snac` is null when the payload was too short for one.
  [[nodiscard]] static std::shared_ptr<const FlapFrame> Received(uint16_t sequence, SnacPtr snac);

  ~FlapFrame() override;

  [[nodiscard]] uint8_t Channel() const { return channel_; }
  [[nodiscard]] uint16_t Sequence() const { return sequence_; }
  [[nodiscard]] uint64_t Serial() const { return serial_; }
  [[nodiscard]] const std::vector<uint8_t>& Prefix() const { return prefix_; }
  [[nodiscard]] const TlvChain& Tlvs() const { return tlvs_; }
  [[nodiscard]] const SnacPtr& Snac() const { return snac_; }

  // The frame's command when it is of this kind, else null.
  [[nodiscard]] const SnacCommand* SnacOfKind(SnacKind kind) const;
  // The first TLV of this type (channels other than 2).
  [[nodiscard]] const Tlv* FindTlv(uint16_t type) const { return tlvs_.Find(type); }

  // Header with the given sequence number, prefix, then the TLVs or the SNAC. Temporary copies
  // of the parts are wiped once copied, so no second copy of a password or cookie stays behind.
  void Serialize(uint16_t sequence, std::vector<uint8_t>& out) const override;

  // "FLAP on channel 4", "FLAP on channel 2 0x1/0x13", "FLAP on channel 2 no snac".
  [[nodiscard]] std::string Describe() const;

 private:
  FlapFrame(uint8_t channel, uint16_t sequence, std::vector<uint8_t> prefix, TlvChain tlvs, SnacPtr snac);

  const uint8_t channel_;
  const uint16_t sequence_;
  const uint64_t serial_;
  const std::vector<uint8_t> prefix_;
  const TlvChain tlvs_;
  const SnacPtr snac_;
};

using FramePtr = std::shared_ptr<const FlapFrame>;

// Cutting frames out of a connection's received bytes.
struct FrameCut {
  enum class Status {
    Frame,       // `frame` was cut; `next` is the offset after it
    Incomplete,  // wait for more bytes; nothing consumed
    Broken,      // the byte at the offset is not the frame start: the stream is out of step
  };
  Status status = Status::Incomplete;
  FramePtr frame;
  size_t next = 0;
};

[[nodiscard]] FrameCut CutFrame(std::span<const uint8_t> buffer, size_t offset);

}  // namespace quelt::icq
