#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Raw OSCAR bytes for the test server, built and read here without the client's codec so that
// each side checks the other. Numbers are big-endian unless the name says otherwise.
namespace quelt::test::oscar {

std::string U16(uint16_t value);
std::string U32(uint32_t value);
std::string U16Le(uint16_t value);
std::string U32Le(uint32_t value);
// The caller keeps `at` and the width inside `bytes`.
uint16_t Get16(std::string_view bytes, size_t at);
uint32_t Get32(std::string_view bytes, size_t at);

std::string Flap(uint8_t channel, uint16_t sequence, std::string_view payload);
std::string Snac(uint16_t family, uint16_t subtype, uint16_t flags, uint32_t requestId, std::string_view data);
std::string Tlv(uint16_t type, std::string_view value);
std::string Roast(std::string_view password);

struct TlvItem {
  uint16_t type = 0;
  std::string value;
  bool operator==(const TlvItem&) const = default;
};
// The whole chain, or nothing when the last TLV is cut short.
std::optional<std::vector<TlvItem>> ParseTlvs(std::string_view bytes);

struct RawFrame {
  uint8_t channel = 0;
  uint16_t sequence = 0;
  std::string payload;
};

// Cuts FLAP frames out of a stream that arrives in arbitrary pieces.
class FlapSplitter {
 public:
  void Feed(std::string_view bytes) { buffer_ += bytes; }
  std::optional<RawFrame> Next();
  // True when the stream holds something other than a frame start where one should begin.
  [[nodiscard]] bool Broken() const { return !buffer_.empty() && buffer_[0] != '\x2A'; }

 private:
  std::string buffer_;
};

}  // namespace quelt::test::oscar
