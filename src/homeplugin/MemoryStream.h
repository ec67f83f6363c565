#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "homeplugin/ComPtr.h"

namespace quelt::home {

// A stream over bytes in memory: what the host keeps for a row between Save and Load, and what
// tests hand a plugin.
class MemoryStream final : public IStream {
 public:
  [[nodiscard]] static ComPtr<MemoryStream> Create(std::span<const uint8_t> bytes = {});

  Result QueryInterface(const Guid& iid, void** out) override;
  uint32_t AddRef() override;
  uint32_t Release() override;
  Result Read(void* buffer, uint32_t size, uint32_t* done) override;
  Result Write(const void* buffer, uint32_t size, uint32_t* done) override;

  [[nodiscard]] const std::vector<uint8_t>& Bytes() const { return bytes_; }
  void Rewind() { position_ = 0; }

 private:
  explicit MemoryStream(std::span<const uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}
  ~MemoryStream() = default;

  std::atomic<uint32_t> references_{1};
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};

}  // namespace quelt::home
