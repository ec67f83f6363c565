#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quelt::test {

// A GIF89a file built byte by byte: a four-colour global palette, a looping application
// extension, and per frame a graphic control extension and a full-size image.
struct GifFrame {
  std::vector<uint8_t> pixels;  // palette indices 0..3, row by row
  uint16_t delayHundredths = 0;
};

using GifPalette = std::array<std::array<uint8_t, 3>, 4>;

namespace gif_detail {

inline void PutU16(std::string& out, unsigned value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

// Literal codes only, with a clear code before the table would grow past three bits, so the
// stream needs no dictionary: clear, two pixels, clear, two pixels, ..., end.
inline std::string LzwStream(const std::vector<uint8_t>& pixels) {
  constexpr unsigned kClear = 4;
  constexpr unsigned kEnd = 5;
  std::vector<uint8_t> bytes;
  uint32_t bits = 0;
  int bitCount = 0;
  const auto put = [&](unsigned code) {
    bits |= code << bitCount;
    bitCount += 3;
    while (bitCount >= 8) {
      bytes.push_back(static_cast<uint8_t>(bits & 0xFF));
      bits >>= 8;
      bitCount -= 8;
    }
  };
  for (size_t i = 0; i < pixels.size(); ++i) {
    if (i % 2 == 0) put(kClear);
    put(pixels[i]);
  }
  put(kEnd);
  if (bitCount > 0) bytes.push_back(static_cast<uint8_t>(bits & 0xFF));

  std::string out(1, '\x02');  // minimum code size
  for (size_t i = 0; i < bytes.size(); i += 255) {
    const size_t length = std::min<size_t>(255, bytes.size() - i);
    out.push_back(static_cast<char>(length));
    out.append(reinterpret_cast<const char*>(bytes.data() + i), length);
  }
  out.push_back('\0');
  return out;
}

}  // namespace gif_detail

inline std::string GifBytes(int width, int height, const GifPalette& palette, const std::vector<GifFrame>& frames) {
  using gif_detail::PutU16;
  std::string out = "GIF89a";
  PutU16(out, static_cast<unsigned>(width));
  PutU16(out, static_cast<unsigned>(height));
  out += "\x91";        // global palette of four entries, two bits per primary
  out.push_back('\0');  // background index
  out.push_back('\0');  // aspect ratio
  for (const auto& entry : palette) out.append(reinterpret_cast<const char*>(entry.data()), entry.size());
  out += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
  PutU16(out, 0);  // loop for ever
  out.push_back('\0');
  for (const GifFrame& frame : frames) {
    out += "\x21\xF9\x04\x04";  // disposal: leave in place; no transparent index
    PutU16(out, frame.delayHundredths);
    out.push_back('\0');
    out.push_back('\0');
    out.push_back('\x2C');
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, static_cast<unsigned>(width));
    PutU16(out, static_cast<unsigned>(height));
    out.push_back('\0');  // no local palette, not interlaced
    out += gif_detail::LzwStream(frame.pixels);
  }
  out.push_back('\x3B');
  return out;
}

}  // namespace quelt::test
