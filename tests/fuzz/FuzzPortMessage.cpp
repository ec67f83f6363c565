// A port message that parses is exactly what serialising it gives back.
#include <cstdint>
#include <cstdlib>

#include "platform/Port.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::platform;
  const std::span<const uint8_t> wire(data, size);
  const auto message = ParsePortMessage(wire);
  if (!message) return 0;
  if (message->bytes.size() > kMaxPortPayload) std::abort();
  const auto serialized = SerializePortMessage(*message);
  if (serialized.size() != size || !std::equal(serialized.begin(), serialized.end(), data)) std::abort();
  return 0;
}
