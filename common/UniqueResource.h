// The one way this code base owns a resource: the owner releases it when it
// goes out of scope, so no early return can leak one. What the resource is
// and how it is released is told by a traits type:
//
//   struct Traits {
//     using Value = ...;                        // the handle, pointer or state
//     static Value Empty() noexcept;            // what an owner holds when it holds nothing
//     static bool IsValid(Value) noexcept;      // whether a value needs releasing
//     static void Close(Value) noexcept;        // releases it
//   };
//
// Portable: the Windows owners (common/WinHandle.h) and the platform halves
// of the portable code (a loaded shared library) are all made from it.
#pragma once

#include <utility>

namespace pelmora::common {

template <typename Traits>
class UniqueResource {
 public:
  using Value = typename Traits::Value;

  UniqueResource() noexcept = default;
  explicit UniqueResource(Value value) noexcept : value_(value) {}
  ~UniqueResource() { Reset(); }

  UniqueResource(UniqueResource&& other) noexcept : value_(other.Release()) {}
  UniqueResource& operator=(UniqueResource&& other) noexcept {
    if (this != &other) Reset(other.Release());
    return *this;
  }
  UniqueResource(const UniqueResource&) = delete;
  UniqueResource& operator=(const UniqueResource&) = delete;

  Value Get() const noexcept { return value_; }
  explicit operator bool() const noexcept { return Traits::IsValid(value_); }

  void Reset(Value value = Traits::Empty()) noexcept {
    if (Traits::IsValid(value_)) Traits::Close(value_);
    value_ = value;
  }
  Value Release() noexcept { return std::exchange(value_, Traits::Empty()); }

  // For an API's out parameters: drops what is held and lends the slot.
  Value* Receive() noexcept {
    Reset();
    return &value_;
  }

 private:
  Value value_ = Traits::Empty();
};

}  // namespace pelmora::common
