#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace quelt::net {

// Something an engine wants written on a connection. Packets are immutable once queued.
class Packet {
 public:
  virtual ~Packet() = default;
  // Appends the packet's bytes to `out`. ICQ channels pass the connection's next FLAP sequence
  // number; MSN channels pass 0 and the packet ignores it.
  virtual void Serialize(uint16_t sequence, std::vector<uint8_t>& out) const = 0;
  // Milliseconds that must have passed since the previous send on an ICQ channel before this
  // packet may go (0: none).
  [[nodiscard]] virtual uint32_t MinimumGapMs() const { return 0; }
};

using PacketPtr = std::shared_ptr<const Packet>;

// A packet that is already bytes (MSN command lines, test traffic).
class BytesPacket final : public Packet {
 public:
  explicit BytesPacket(std::vector<uint8_t> bytes, uint32_t minimumGapMs = 0)
      : bytes_(std::move(bytes)), minimumGapMs_(minimumGapMs) {}
  void Serialize(uint16_t /*sequence*/, std::vector<uint8_t>& out) const override {
    out.insert(out.end(), bytes_.begin(), bytes_.end());
  }
  [[nodiscard]] uint32_t MinimumGapMs() const override { return minimumGapMs_; }

 private:
  const std::vector<uint8_t> bytes_;
  const uint32_t minimumGapMs_;
};

}  // namespace quelt::net
