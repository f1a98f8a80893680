// The Windows handles, made from the one owner (common/UniqueResource.h).
// Header only, so the program, its tools and the extraction library all use
// it.
//
// Closing keeps the thread's last-error code: a function that fails, lets its
// handles go and then reports GetLastError() must report its own failure, not
// whatever the close left behind.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "common/UniqueResource.h"
#include "common/WinFailure.h"

namespace pelmora::win {

// Closing keeps the thread's last-error code (see above).
template <typename Traits>
struct KeepingLastError : Traits {
  static void Close(typename Traits::Value value) noexcept {
    const DWORD lastError = ::GetLastError();
    Traits::Close(value);
    ::SetLastError(lastError);
  }
};

template <typename Traits>
using UniqueResource = common::UniqueResource<KeepingLastError<Traits>>;

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

// Memory that Windows allocated for the caller to give back with LocalFree
// (security descriptors and the text forms of identifiers, among others).
template <typename Pointee>
struct LocalMemoryTraits {
  using Value = Pointee*;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value p) noexcept { return p != nullptr; }
  static void Close(Value p) noexcept { ::LocalFree(p); }
};

// Fonts, brushes and bitmaps this program created (never stock objects).
struct GdiObjectTraits {
  using Value = HGDIOBJ;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::DeleteObject(h); }
};

// Device contexts made by CreateCompatibleDC (never those of a window).
struct MemoryDcTraits {
  using Value = HDC;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::DeleteDC(h); }
};

// An object selected into a device context: releasing puts back the one it
// replaced, so that the context can be deleted and the object with it.
struct Selection {
  HDC dc = nullptr;
  HGDIOBJ previous = nullptr;
};
struct SelectionTraits {
  using Value = Selection;
  static Value Empty() noexcept { return {}; }
  static bool IsValid(Value s) noexcept { return s.dc != nullptr && s.previous != nullptr; }
  static void Close(Value s) noexcept { ::SelectObject(s.dc, s.previous); }
};

// The process's error mode for as long as the owner lives; releasing puts
// back the mode it replaced.
struct ErrorModeTraits {
  struct Value {
    bool set = false;
    UINT previous = 0;
  };
  static Value Empty() noexcept { return {}; }
  static bool IsValid(Value v) noexcept { return v.set; }
  static void Close(Value v) noexcept { ::SetErrorMode(v.previous); }
};

// Directory searches of FindFirstFile.
struct FindHandleTraits {
  using Value = HANDLE;
  static Value Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value h) noexcept { return h != INVALID_HANDLE_VALUE; }
  static void Close(Value h) noexcept { ::FindClose(h); }
};

// Windows this program created and destroys itself (its own top-level
// windows; a window's controls go with it). Whoever handles the window's
// messages must not expect them after the owner goes.
struct WindowTraits {
  using Value = HWND;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value h) noexcept { return h != nullptr; }
  static void Close(Value h) noexcept { ::DestroyWindow(h); }
};

// A window's device context from GetDC (the screen's for no window): it goes
// back to the window it came from, so the owner keeps both.
struct WindowDcTraits {
  struct Value {
    HWND window = nullptr;
    HDC dc = nullptr;
  };
  static Value Empty() noexcept { return {}; }
  static bool IsValid(Value v) noexcept { return v.dc != nullptr; }
  static void Close(Value v) noexcept { ::ReleaseDC(v.window, v.dc); }
};

// A critical section this program initialised; releasing deletes it. The
// section itself stays where the caller keeps it (it must not move while in
// use) and must outlive its owner. Deleting one sets no error code, so its
// owner has none to keep.
struct CriticalSectionTraits {
  using Value = CRITICAL_SECTION*;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value s) noexcept { return s != nullptr; }
  static void Close(Value s) noexcept { ::DeleteCriticalSection(s); }
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
template <typename Pointee>
using LocalMemory = UniqueResource<LocalMemoryTraits<Pointee>>;
using GdiObject = UniqueResource<GdiObjectTraits>;
using FindHandle = UniqueResource<FindHandleTraits>;
using MemoryDc = UniqueResource<MemoryDcTraits>;
using SelectedObject = UniqueResource<SelectionTraits>;
using ErrorMode = UniqueResource<ErrorModeTraits>;
using UniqueWindow = UniqueResource<WindowTraits>;
using WindowDc = UniqueResource<WindowDcTraits>;
using InitializedCriticalSection = common::UniqueResource<CriticalSectionTraits>;
template <typename Interface>
using ComInterface = UniqueResource<ComInterfaceTraits<Interface>>;

// Selects `object` into `dc` until the owner goes.
inline SelectedObject Select(HDC dc, HGDIOBJ object) noexcept {
  return SelectedObject({dc, ::SelectObject(dc, object)});
}

// The device context of `window` (of the screen for none) until the owner goes.
inline WindowDc DcOf(HWND window) noexcept { return WindowDc({window, ::GetDC(window)}); }

// Initialises `section`, which stays usable until the owner goes.
inline InitializedCriticalSection Initialize(CRITICAL_SECTION& section) noexcept {
  ::InitializeCriticalSection(&section);
  return InitializedCriticalSection(&section);
}

// Closes the file `path` is open as and says whether that worked: nothing
// when it did. Closing a file may be where its last bytes turn out not to
// fit on the medium, or where a file opened for deletion is deleted, so
// this close is looked at (the owner's own ignores it). The owner holds
// nothing afterwards.
inline std::optional<common::WinFailure> CloseChecked(UniqueHandle&& handle,
                                                      const std::string& path) {
  const DWORD code = !handle                           ? ERROR_INVALID_HANDLE
                     : ::CloseHandle(handle.Release()) ? ERROR_SUCCESS
                                                       : ::GetLastError();
  if (code == ERROR_SUCCESS) return std::nullopt;
  return common::Failed(common::WinFailure::Subject::File, path, code);
}

// Sets the process's error mode until the owner goes.
inline ErrorMode SetErrorModeForScope(UINT mode) noexcept {
  return ErrorMode({true, ::SetErrorMode(mode)});
}

// An export looked up by name, typed like the declaration it stands for;
// null when the module or the export is missing.
template <typename Function>
Function LookUpExport(HMODULE module, const char* name) noexcept {
  if (module == nullptr) return nullptr;
  // Through void(*)(): the one function pointer type GCC lets any other be cast from.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

}  // namespace pelmora::win
