// Decoding never fails, its output re-encodes stably, and lossless conversions round-trip.
// The first byte picks a code page for the iconv paths; the rest is the text.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::platform;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  const DecodedText decoded = DecodeUtf8(bytes);
  const std::string utf8 = Utf16ToUtf8(decoded.text);
  if (decoded.lossless && utf8 != bytes) std::abort();
  const DecodedText again = DecodeUtf8(utf8);
  if (!again.lossless || again.text != decoded.text) std::abort();

  // The same bytes read as UTF-16 code units, unpaired surrogates and all.
  std::u16string units(size / 2, u'\0');
  if (!units.empty()) std::memcpy(units.data(), data, units.size() * 2);
  const EncodedText asUtf8 = EncodeCodePage(units, kUtf8CodePage);
  if (asUtf8.lossless && Utf8ToUtf16(asUtf8.bytes) != units) std::abort();

  if (size == 0) return 0;
  static constexpr uint32_t kCodePages[] = {0, 1200, 1201, 1251, 20866, 28595, 932, 936, 949, 950, 20127, 65001, 50220};
  const uint32_t codePage = kCodePages[data[0] % std::size(kCodePages)];
  const DecodedText fromPage = DecodeCodePage(bytes.substr(1), codePage);
  const EncodedText toPage = EncodeCodePage(fromPage.text, codePage);
  // Text that came out of a code page goes back in without loss, bar the replacement marks.
  const bool replaced = std::find(fromPage.text.begin(), fromPage.text.end(), u'\uFFFD') != fromPage.text.end();
  if (fromPage.lossless && !replaced && !toPage.lossless) std::abort();
  return 0;
}
