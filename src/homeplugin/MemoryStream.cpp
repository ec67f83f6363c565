#include "homeplugin/MemoryStream.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace quelt::home {

ComPtr<MemoryStream> MemoryStream::Create(std::span<const uint8_t> bytes) {
  return ComPtr<MemoryStream>::Adopt(new (std::nothrow) MemoryStream(bytes));
}

Result MemoryStream::QueryInterface(const Guid& iid, void** out) {
  if (out == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IStream) {
    *out = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

uint32_t MemoryStream::AddRef() { return ++references_; }

uint32_t MemoryStream::Release() {
  const uint32_t left = --references_;
  if (left == 0) delete this;
  return left;
}

Result MemoryStream::Read(void* buffer, uint32_t size, uint32_t* done) {
  const size_t count = std::min<size_t>(size, bytes_.size() - position_);
  if (count > 0) std::memcpy(buffer, bytes_.data() + position_, count);
  position_ += count;
  if (done != nullptr) *done = static_cast<uint32_t>(count);
  return count == size ? S_OK : S_FALSE;
}

Result MemoryStream::Write(const void* buffer, uint32_t size, uint32_t* done) {
  const auto* bytes = static_cast<const uint8_t*>(buffer);
  if (position_ + size > bytes_.size()) bytes_.resize(position_ + size);
  std::copy_n(bytes, size, bytes_.begin() + static_cast<ptrdiff_t>(position_));
  position_ += size;
  if (done != nullptr) *done = size;
  return S_OK;
}

}  // namespace quelt::home
