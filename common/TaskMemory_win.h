// Memory that the shell and COM hand out from the task allocator and leave
// to the caller: the item lists of SHBrowseForFolder and
// SHGetSpecialFolderLocation, among others. Made from the one owner
// (common/WinHandle.h); a header of its own so that only those who need it
// bring in the COM declarations (and the import from ole32.dll).
//
// Every Windows this program runs on (2000 and later) gives the shell the
// COM task allocator, so CoTaskMemFree is the release for both.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "common/WinHandle.h"

namespace pelmora::win {

template <typename Pointee>
struct TaskMemoryTraits {
  using Value = Pointee*;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value p) noexcept { return p != nullptr; }
  static void Close(Value p) noexcept { ::CoTaskMemFree(p); }
};

template <typename Pointee>
using TaskMemory = UniqueResource<TaskMemoryTraits<Pointee>>;

// An absolute item list (a shell folder or a chosen one).
using ItemList = TaskMemory<ITEMIDLIST>;

}  // namespace pelmora::win
