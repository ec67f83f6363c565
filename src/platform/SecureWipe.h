#pragma once

#include <string.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quelt::platform {

// Overwrites bytes that held a secret (a password, a cookie) before their memory is reused or
// released. explicit_bzero cannot be dropped as a dead store, unlike a plain fill.
inline void Wipe(std::vector<uint8_t>& bytes) {
  if (!bytes.empty()) explicit_bzero(bytes.data(), bytes.size());
}

inline void Wipe(std::string& text) {
  if (!text.empty()) explicit_bzero(text.data(), text.size());
}

}  // namespace quelt::platform
