// The one way this code base owns a Windows handle: each owner closes its
// handle when it goes out of scope, so no early return can leak one. Header
// only, so the program, its tools and the extraction library all use it.
//
// Closing keeps the thread's last-error code: a function that fails, lets its
// handles go and then reports GetLastError() must report its own failure, not
// whatever the close left behind.
#pragma once

#include <windows.h>

#include <utility>

namespace pelmora::win {

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
    if (Traits::IsValid(value_)) {
      const DWORD lastError = ::GetLastError();
      Traits::Close(value_);
      ::SetLastError(lastError);
    }
    value_ = value;
  }
  Value Release() noexcept { return std::exchange(value_, Traits::Empty()); }

  // For the API's out parameters: drops what is held and lends the slot.
  Value* Receive() noexcept {
    Reset();
    return &value_;
  }

 private:
  Value value_ = Traits::Empty();
};

struct KernelHandleTraits {
  using Value = HANDLE;
  static Value Empty() noexcept { return nullptr; }
  // Some functions fail with null, others (CreateToolhelp32Snapshot) with -1.
  static bool IsValid(Value h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void Close(Value h) noexcept { ::CloseHandle(h); }
};

// Only for keys this program opened or created, never for the predefined roots.
struct RegistryKeyTraits {
  using Value = HKEY;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::RegCloseKey(h); }
};

struct LibraryTraits {
  using Value = HMODULE;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::FreeLibrary(h); }
};

// Identifiers made by AllocateAndInitializeSid.
struct AllocatedSidTraits {
  using Value = PSID;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::FreeSid(h); }
};

// Fonts, brushes and bitmaps this program created (never stock objects).
struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::DeleteObject(h); }
};

// Directory searches of FindFirstFile.
struct FindHandleTraits {
  using Value = HANDLE;
  static Value Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value h) noexcept { return h != INVALID_HANDLE_VALUE; }
  static void Close(Value h) noexcept { ::FindClose(h); }
};

// COM interface pointers this program obtained; releasing drops its reference.
template <typename Interface>
struct ComInterfaceTraits {
  using Value = Interface*;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value p) noexcept { return p != nullptr; }
  static void Close(Value p) noexcept { p->Release(); }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueRegKey = UniqueResource<RegistryKeyTraits>;
using LoadedLibrary = UniqueResource<LibraryTraits>;
using AllocatedSid = UniqueResource<AllocatedSidTraits>;
using GdiObject = UniqueResource<GdiObjectTraits>;
using FindHandle = UniqueResource<FindHandleTraits>;
template <typename Interface>
using ComInterface = UniqueResource<ComInterfaceTraits<Interface>>;

// An export looked up by name, typed like the declaration it stands for;
// null when the module or the export is missing.
template <typename Function>
Function LookUpExport(HMODULE module, const char* name) noexcept {
  if (module == nullptr) return nullptr;
  // Through void(*)(): the one function pointer type GCC lets any other be cast from.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace pelmora::win
