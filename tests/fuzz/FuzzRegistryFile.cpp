// Any bytes parse without fault, and what the parser keeps survives being written and read back.
#include <cstdint>
#include <cstdlib>

#include "platform/Registry.h"

namespace {

bool SameData(const quelt::platform::RegistryData& a, const quelt::platform::RegistryData& b) {
  if (a.size() != b.size()) return false;
  for (auto left = a.begin(), right = b.begin(); left != a.end(); ++left, ++right) {
    if (left->first != right->first || left->second.path != right->second.path ||
        left->second.values != right->second.values) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quelt::platform;
  const RegistryData parsed = ParseRegistryFile({data, size});
  const std::string text = SerializeRegistryFile(parsed);
  const RegistryData again = ParseRegistryFile({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
  if (!SameData(parsed, again)) std::abort();
  if (SerializeRegistryFile(again) != text) std::abort();
  return 0;
}
