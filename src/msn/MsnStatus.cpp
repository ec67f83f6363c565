#include "msn/MsnStatus.h"

#include <array>

namespace quelt::msn {
namespace {

constexpr std::array<std::string_view, 8> kCodes = {"NLN", "BSY", "IDL", "BRB", "AWY", "PHN", "LUN", "HDN"};

}  // namespace

int32_t DecodeMsnStatus(std::string_view code) {
  for (size_t i = 0; i < kCodes.size(); ++i) {
    if (code == kCodes[i]) return static_cast<int32_t>(i + 1);
  }
  return -1;
}

std::string_view EncodeMsnStatus(int32_t status) {
  return status >= 2 && status <= 8 ? kCodes[static_cast<size_t>(status - 1)] : kCodes[0];
}

}  // namespace quelt::msn
