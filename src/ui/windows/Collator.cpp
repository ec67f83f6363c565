#include "ui/windows/Collator.h"

#include <cstring>
#include <vector>

#include "platform/TextCodec.h"

namespace quelt::ui {
namespace {

constexpr size_t kMaxRemembered = 20000;  // names; far more than any list holds

}  // namespace

const std::string& Collator::KeyOf(std::u16string_view text) {
  std::u16string name(text);
  if (const auto found = keys_.find(name); found != keys_.end()) return found->second;
  const std::string utf8 = platform::Utf16ToUtf8(text);
  std::vector<char> key(utf8.size() * 4 + 16);
  size_t length = strxfrm(key.data(), utf8.c_str(), key.size());
  if (length >= key.size()) {
    key.resize(length + 1);
    length = strxfrm(key.data(), utf8.c_str(), key.size());
  }
  return keys_.emplace(std::move(name), std::string(key.data(), length)).first->second;
}

void Collator::Reserve(size_t count) {
  if (keys_.size() + count > kMaxRemembered) keys_.clear();
}

int Collator::Compare(std::u16string_view a, std::u16string_view b) {
  Reserve(2);  // never between the two look-ups, so the first key stays valid
  const std::string& left = KeyOf(a);
  const std::string& right = KeyOf(b);
  const int order = left.compare(right);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace quelt::ui
