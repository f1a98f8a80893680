// COM on the current thread, for the shell's link objects and the COM
// servers the setup registers and the uninstaller unregisters.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include "common/WinHandle.h"

namespace pelmora::winsupport {

// Releasing leaves the apartment this owner entered, through `Leave`.
template <void(WINAPI* Leave)()>
struct ApartmentTraits {
  using Value = bool;  // whether entering succeeded and must be undone
  static Value Empty() noexcept { return false; }
  static bool IsValid(Value entered) noexcept { return entered; }
  static void Close(Value) noexcept { Leave(); }
};
using ComApartment = win::UniqueResource<ApartmentTraits<::CoUninitialize>>;
// The same with OLE on top (what the shell's folder dialog needs for its
// drag and drop and clipboard).
using OleApartment = win::UniqueResource<ApartmentTraits<::OleUninitialize>>;

// Enters a single-threaded apartment until the owner goes; a thread that
// is in one already keeps it as it was (the owner then releases only its
// own reference).
inline ComApartment EnterComApartment() noexcept {
  return ComApartment(SUCCEEDED(::CoInitialize(nullptr)));
}

// Enters OLE on this thread until the owner goes.
inline OleApartment EnterOleApartment() noexcept {
  return OleApartment(SUCCEEDED(::OleInitialize(nullptr)));
}

}  // namespace pelmora::winsupport
