// What the home-screen row reads from outside: the messenger's state block, the stream the host
// keeps for it, and class identifiers from scheme files. The first byte picks the reader.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "homeplugin/MemoryStream.h"
#include "homeplugin/StateBlock.h"
#include "homeplugin/TileSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::home;
  if (size == 0) return 0;
  const std::span<const uint8_t> input(data + 1, size - 1);
  switch (data[0] % 3) {
    case 0: {
      const auto state = ReadStateMessage(kStateBlockTag, input);
      if (state.icq.text.size() > kTileTextLimit || state.msn.text.size() > kTileTextLimit) std::abort();
      break;
    }
    case 1: {
      auto stream = MemoryStream::Create(input);
      const auto settings = ReadTileSettings(*stream);
      if (!settings) break;
      auto copy = MemoryStream::Create();
      if (!WriteTileSettings(*settings, *copy)) std::abort();
      copy->Rewind();
      // Empty strings come back as their defaults, so compare a second round trip.
      const auto again = ReadTileSettings(*copy);
      auto third = MemoryStream::Create();
      if (!again || !WriteTileSettings(*again, *third)) std::abort();
      third->Rewind();
      if (ReadTileSettings(*third) != again) std::abort();
      break;
    }
    default: {
      const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
      const auto guid = ParseGuid(text);
      if (guid && ParseGuid(GuidText(*guid)) != guid) std::abort();
      break;
    }
  }
  return 0;
}
