#include "platform/TextCodec.h"

#include <iconv.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quelt::platform {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }
bool IsContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

void AppendCodePoint(std::u16string& out, char32_t codePoint) {
  if (codePoint < 0x10000) {
    out.push_back(static_cast<char16_t>(codePoint));
  } else {
    codePoint -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
  }
}

// UTF-16 to UTF-8; `lossless` turns false when an unpaired surrogate had to be replaced.
std::string EncodeUtf8(std::u16string_view text, bool& lossless) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t codePoint = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
      codePoint = kReplacement;
      lossless = false;
    }
    if (codePoint < 0x80) {
      out.push_back(static_cast<char>(codePoint));
    } else if (codePoint < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (codePoint >> 6)));
      out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else if (codePoint < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (codePoint >> 12)));
      out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (codePoint >> 18)));
      out.push_back(static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (codePoint & 0x3F)));
    }
  }
  return out;
}

// UTF-16 in either byte order, two bytes per code unit. Unpaired surrogates and an odd last
// byte become U+FFFD.
DecodedText DecodeUtf16(std::string_view bytes, bool bigEndian) {
  DecodedText result;
  std::u16string& out = result.text;
  out.reserve(bytes.size() / 2 + 1);
  const auto unitAt = [&bytes, bigEndian](size_t offset) {
    const auto first = static_cast<uint8_t>(bytes[offset]);
    const auto second = static_cast<uint8_t>(bytes[offset + 1]);
    return static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  };
  const size_t units = bytes.size() / 2;
  for (size_t i = 0; i < units; ++i) {
    const char16_t unit = unitAt(i * 2);
    if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(unitAt(i * 2 + 2))) {
      out.push_back(unit);
      out.push_back(unitAt(i * 2 + 2));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      out.push_back(kReplacement);
      result.lossless = false;
    } else {
      out.push_back(unit);
    }
  }
  if (bytes.size() % 2 != 0) {
    out.push_back(kReplacement);
    result.lossless = false;
  }
  return result;
}

std::string EncodeUtf16(std::u16string_view text, bool bigEndian) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    const auto high = static_cast<char>(unit >> 8);
    const auto low = static_cast<char>(unit & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
  }
  return out;
}

std::optional<std::string> IconvName(uint32_t codePage) {
  switch (codePage) {
    case kAnsiCodePage: return "CP1252";
    case 20127: return "ASCII";
    case 20866: return "KOI8-R";
    case 21866: return "KOI8-U";
    case 20932:
    case 51932: return "EUC-JP";
    case 51949: return "EUC-KR";
    case 54936: return "GB18030";
    case 936: return "GBK";
    case 950: return "BIG5";
    case 50220: return "ISO-2022-JP";
    case 28603: return "ISO-8859-13";
    case 28605: return "ISO-8859-15";
    default: break;
  }
  if (codePage >= 28591 && codePage <= 28599) return "ISO-8859-" + std::to_string(codePage - 28590);
  if (codePage == 0 || codePage > 0xFFFF) return std::nullopt;
  return "CP" + std::to_string(codePage);
}

// iconv's name for our in-memory UTF-16, which is in the machine's byte order.
constexpr const char* kNativeUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// Conversion descriptors are stateful, so each conversion borrows one for itself. Returned
// descriptors are kept for reuse and only closed at exit: opening and closing load and unload
// glibc's converter modules, which is kept under the pool's lock.
class IconvPool {
 public:
  class Lease {
   public:
    Lease(IconvPool& pool, uint64_t key, iconv_t handle) : pool_(pool), key_(key), handle_(handle) {}
    ~Lease() { pool_.Return(key_, handle_); }
    Lease(const Lease&) = delete;
    Lease& operator=(const Lease&) = delete;
    [[nodiscard]] iconv_t Get() const { return handle_; }

   private:
    IconvPool& pool_;
    uint64_t key_;
    iconv_t handle_;
  };

  IconvPool() = default;
  IconvPool(const IconvPool&) = delete;
  IconvPool& operator=(const IconvPool&) = delete;
  ~IconvPool() {
    for (auto& [key, handles] : idle_) {
      for (iconv_t handle : handles) iconv_close(handle);
    }
  }

  // Nothing when iconv does not know the code page.
  std::optional<Lease> Borrow(uint32_t codePage, bool toCodePage) {
    const uint64_t key = (static_cast<uint64_t>(codePage) << 1) | (toCodePage ? 1 : 0);
    const auto name = IconvName(codePage);
    if (!name) return std::nullopt;
    std::lock_guard lock(mutex_);
    const auto idle = idle_.find(key);
    if (idle != idle_.end() && !idle->second.empty()) {
      iconv_t handle = idle->second.back();
      idle->second.pop_back();
      return std::optional<Lease>(std::in_place, *this, key, handle);
    }
    if (unknown_.contains(key)) return std::nullopt;
    iconv_t handle = toCodePage ? iconv_open(name->c_str(), kNativeUtf16) : iconv_open(kNativeUtf16, name->c_str());
    if (handle == kInvalid) {
      unknown_.insert(key);
      return std::nullopt;
    }
    return std::optional<Lease>(std::in_place, *this, key, handle);
  }

 private:
  void Return(uint64_t key, iconv_t handle) {
    iconv(handle, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
    std::lock_guard lock(mutex_);
    idle_[key].push_back(handle);
  }

  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  std::mutex mutex_;
  std::map<uint64_t, std::vector<iconv_t>> idle_;
  std::set<uint64_t> unknown_;
};

IconvPool& Pool() {
  static IconvPool pool;
  return pool;
}

// Runs iconv over the whole input. At a character the target cannot hold, or a malformed input
// sequence, `onInvalid` appends a replacement and says how many input bytes to skip.
template <typename OnInvalid>
bool ConvertAll(iconv_t handle, const char* input, size_t inputSize, std::string& output, OnInvalid onInvalid) {
  bool lossless = true;
  char* in = const_cast<char*>(input);
  size_t inLeft = inputSize;
  bool flushing = false;
  std::string buffer(inputSize * 2 + 16, '\0');
  while (true) {
    char* out = buffer.data();
    size_t outLeft = buffer.size();
    // Once the input is used up, a call without input writes out any pending shift sequence.
    const size_t converted =
        flushing ? iconv(handle, nullptr, nullptr, &out, &outLeft) : iconv(handle, &in, &inLeft, &out, &outLeft);
    const int error = converted == static_cast<size_t>(-1) ? errno : 0;
    output.append(buffer.data(), buffer.size() - outLeft);
    if (error == E2BIG) {
      if (outLeft == buffer.size()) buffer.resize(buffer.size() * 2);
      continue;
    }
    if (error == 0) {
      // A positive count means characters were approximated rather than converted exactly.
      if (converted != 0) lossless = false;
      if (flushing) return lossless;
      if (inLeft == 0) flushing = true;
      continue;
    }
    lossless = false;
    if (flushing) return lossless;
    const size_t skip = onInvalid(in, inLeft, output);
    // EINVAL is an incomplete sequence at the very end: nothing after it can be converted.
    const size_t advance = error == EILSEQ ? std::min(skip, inLeft) : inLeft;
    in += advance;
    inLeft -= advance;
    if (inLeft == 0) flushing = true;
  }
}

}  // namespace

DecodedText DecodeUtf8(std::string_view utf8) {
  DecodedText result;
  std::u16string& out = result.text;
  out.reserve(utf8.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(utf8.data());
  const size_t size = utf8.size();
  size_t i = 0;
  while (i < size) {
    const uint8_t lead = bytes[i];
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    // The allowed range of the second byte excludes overlong forms, surrogates and values
    // above U+10FFFF; a malformed sequence is replaced up to (not including) the byte that
    // broke it, as one U+FFFD.
    int trailing = 0;
    uint8_t secondLow = 0x80;
    uint8_t secondHigh = 0xBF;
    char32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      trailing = 1;
      codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      trailing = 2;
      codePoint = lead & 0x0F;
      if (lead == 0xE0) secondLow = 0xA0;
      if (lead == 0xED) secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      trailing = 3;
      codePoint = lead & 0x07;
      if (lead == 0xF0) secondLow = 0x90;
      if (lead == 0xF4) secondHigh = 0x8F;
    } else {
      out.push_back(kReplacement);
      result.lossless = false;
      ++i;
      continue;
    }
    size_t next = i + 1;
    bool valid = true;
    for (int k = 0; k < trailing; ++k, ++next) {
      if (next >= size) {
        valid = false;
        break;
      }
      const uint8_t byte = bytes[next];
      const bool inRange = k == 0 ? byte >= secondLow && byte <= secondHigh : IsContinuation(byte);
      if (!inRange) {
        valid = false;
        break;
      }
      codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    if (valid) {
      AppendCodePoint(out, codePoint);
    } else {
      out.push_back(kReplacement);
      result.lossless = false;
    }
    i = next;
  }
  return result;
}

std::u16string Utf8ToUtf16(std::string_view utf8) { return DecodeUtf8(utf8).text; }

std::string Utf16ToUtf8(std::u16string_view text) {
  bool lossless = true;
  return EncodeUtf8(text, lossless);
}

EncodedText EncodeCodePage(std::u16string_view text, uint32_t codePage) {
  EncodedText result;
  if (codePage == kUtf8CodePage) {
    result.bytes = EncodeUtf8(text, result.lossless);
    return result;
  }
  if (codePage == kUtf16LeCodePage || codePage == kUtf16BeCodePage) {
    result.bytes = EncodeUtf16(text, codePage == kUtf16BeCodePage);
    return result;
  }
  const auto lease = Pool().Borrow(codePage, true);
  if (!lease) {
    result.lossless = false;
    return result;
  }
  // Input is counted in bytes; a character is one code unit or a surrogate pair.
  const auto onInvalid = [](const char* at, size_t left, std::string& output) -> size_t {
    output.push_back('?');
    char16_t units[2] = {};
    std::memcpy(units, at, std::min(left, sizeof units));
    const bool pair = left >= sizeof units && IsHighSurrogate(units[0]) && IsLowSurrogate(units[1]);
    return pair ? 2 * sizeof(char16_t) : sizeof(char16_t);
  };
  result.lossless = ConvertAll(lease->Get(), reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t),
                               result.bytes, onInvalid);
  return result;
}

DecodedText DecodeCodePage(std::string_view bytes, uint32_t codePage) {
  if (codePage == kUtf8CodePage) return DecodeUtf8(bytes);
  if (codePage == kUtf16LeCodePage || codePage == kUtf16BeCodePage) {
    return DecodeUtf16(bytes, codePage == kUtf16BeCodePage);
  }
  DecodedText result;
  const auto lease = Pool().Borrow(codePage, false);
  if (!lease) {
    result.lossless = false;
    return result;
  }
  const auto onInvalid = [](const char*, size_t, std::string& output) -> size_t {
    const char16_t replacement = kReplacement;
    output.append(reinterpret_cast<const char*>(&replacement), sizeof replacement);
    return 1;
  };
  std::string wide;
  result.lossless = ConvertAll(lease->Get(), bytes.data(), bytes.size(), wide, onInvalid);
  result.text.resize(wide.size() / sizeof(char16_t));
  std::memcpy(result.text.data(), wide.data(), result.text.size() * sizeof(char16_t));
  return result;
}

bool IsCodePageKnown(uint32_t codePage) {
  if (codePage == kUtf8CodePage || codePage == kUtf16LeCodePage || codePage == kUtf16BeCodePage) return true;
  return Pool().Borrow(codePage, true).has_value() && Pool().Borrow(codePage, false).has_value();
}

std::u16string AsciiToUtf16(std::string_view ascii) {
  std::u16string out;
  out.reserve(ascii.size());
  for (const char c : ascii) out.push_back(static_cast<uint8_t>(c));
  return out;
}

}  // namespace quelt::platform
