// COM on the current thread, for the shell's link objects and the COM
// servers the setup registers and the uninstaller unregisters.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include "common/WinHandle.h"

namespace pelmora::winsupport {

// Releasing leaves the apartment this owner entered.
struct ComApartmentTraits {
  using Value = bool;  // whether CoInitialize succeeded and must be undone
  static Value Empty() noexcept { return false; }
  static bool IsValid(Value entered) noexcept { return entered; }
  static void Close(Value) noexcept { ::CoUninitialize(); }
};
using ComApartment = win::UniqueResource<ComApartmentTraits>;

// Enters a single-threaded apartment until the owner goes; a thread that
// is in one already keeps it as it was (the owner then releases only its
// own reference).
inline ComApartment EnterComApartment() noexcept {
  return ComApartment(SUCCEEDED(::CoInitialize(nullptr)));
}

// The same with OLE on top (what the shell's folder dialog needs for its
// drag and drop and clipboard); leaves it when the owner goes.
struct OleApartmentTraits {
  using Value = bool;  // whether OleInitialize succeeded and must be undone
  static Value Empty() noexcept { return false; }
  static bool IsValid(Value entered) noexcept { return entered; }
  static void Close(Value) noexcept { ::OleUninitialize(); }
};
using OleApartment = win::UniqueResource<OleApartmentTraits>;

inline OleApartment EnterOleApartment() noexcept {
  return OleApartment(SUCCEEDED(::OleInitialize(nullptr)));
}

}  // namespace pelmora::winsupport
