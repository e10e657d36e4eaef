// ComPtr<T>: holds one reference on an interface pointer and releases it.
#pragma once

#include <utility>

#include "platform/com/unknown.h"

namespace qb {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over the reference that |p| carries (no AddRef).
  static ComPtr Adopt(T* p) {
    ComPtr c;
    c.p_ = p;
    return c;
  }
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_ != nullptr) p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  void Reset() {
    if (p_ != nullptr) std::exchange(p_, nullptr)->Release();
  }
  // Releases the current pointer and returns the address for an [out]
  // interface pointer.
  T** out() {
    Reset();
    return &p_;
  }
  // The same, typed as the void** that QueryInterface and CoCreateInstance
  // take.
  void** out_void() { return reinterpret_cast<void**>(out()); }
  // Gives up the reference without releasing it.
  T* Release() { return std::exchange(p_, nullptr); }

  // QueryInterface for |riid| into |*target|.
  template <class U>
  HRESULT As(REFIID riid, ComPtr<U>* target) const {
    if (p_ == nullptr) return E_POINTER;
    return p_->QueryInterface(riid, target->out_void());
  }

 private:
  T* p_ = nullptr;
};

}  // namespace qb
