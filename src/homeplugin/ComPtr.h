#pragma once

#include <utility>

#include "homeplugin/HomeInterfaces.h"

namespace quelt::home {

// Holds one reference of a counted object and gives it back when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already owns (a fresh object, an out parameter).
  static ComPtr Adopt(T* object) {
    ComPtr held;
    held.object_ = object;
    return held;
  }
  ComPtr(const ComPtr& other) : object_(other.object_) {
    if (object_ != nullptr) object_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (object_ != nullptr) std::exchange(object_, nullptr)->Release();
  }
  [[nodiscard]] T* Get() const { return object_; }
  T* operator->() const { return object_; }
  T& operator*() const { return *object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // For an out parameter; drops what was held first.
  void** Put() {
    Reset();
    return reinterpret_cast<void**>(&object_);
  }
  // Another interface of the same object; empty when it does not answer `iid`.
  template <typename U>
  [[nodiscard]] ComPtr<U> As(const Guid& iid) const {
    ComPtr<U> other;
    if (object_ == nullptr || !Succeeded(object_->QueryInterface(iid, other.Put()))) other.Reset();
    return other;
  }

 private:
  T* object_ = nullptr;
};

}  // namespace quelt::home
