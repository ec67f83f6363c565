// A switchboard MSG payload is whatever the other client sent. Reading it must stay inside the
// bytes, and a text read from it must come back unchanged when sent on as a text message: the
// text has been through UTF-8 decoding once, so any replacement characters are already in it.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "msn/MsnMessagePayload.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::msn;
  const MsnPayload first = ReadMsnPayload(std::span<const uint8_t>(data, size));
  if (first.kind != MsnPayload::Kind::Text) {
    if (!first.text.empty()) __builtin_trap();
    return 0;
  }
  const std::vector<uint8_t> message = TextMessage(1, 'A', first.text)->Bytes();
  const std::string_view bytes(reinterpret_cast<const char*>(message.data()), message.size());
  const size_t lineEnd = bytes.find("\r\n");
  if (lineEnd == std::string_view::npos) __builtin_trap();
  const std::string_view line = bytes.substr(0, lineEnd);
  if (line.substr(line.rfind(' ') + 1) != std::to_string(bytes.size() - lineEnd - 2)) __builtin_trap();
  const MsnPayload second = ReadMsnPayload(std::span<const uint8_t>(message).subspan(lineEnd + 2));
  if (second != first) __builtin_trap();
  return 0;
}
