// A move-only owner of one handle; the traits name the invalid value and the
// call that releases a handle.
#pragma once

#include <utility>

template <typename Traits>
class ScopedHandle {
 public:
  using Type = typename Traits::Type;

  ScopedHandle() = default;
  explicit ScopedHandle(Type handle) : handle_(handle) {}
  ~ScopedHandle() { reset(); }

  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Type get() const { return handle_; }
  bool valid() const { return handle_ != Traits::invalid(); }
  explicit operator bool() const { return valid(); }

  /// Gives up ownership without releasing the handle.
  Type release() { return std::exchange(handle_, Traits::invalid()); }

  /// Releases the owned handle, if any, and takes the new one.
  void reset(Type handle = Traits::invalid()) {
    Type old = std::exchange(handle_, handle);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  Type handle_ = Traits::invalid();
};
