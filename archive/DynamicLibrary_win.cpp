#include <windows.h>

#include "archive/DynamicLibrary.h"
#include "archive/FullPath.h"
#include "common/WinHandle.h"

namespace pelmora::archive {

namespace {

HMODULE AsModule(void* handle) { return static_cast<HMODULE>(handle); }

// SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX: loading from a floppy or
// CD drive without a medium must fail quietly instead of showing a system
// message box in the middle of the setup.
constexpr UINT kQuietErrorMode = 0x8001;

}  // namespace

// As every Windows owner does (common/WinHandle.h): a failure reported after
// the library went must be that failure's own error, not the unload's.
void LoadedLibraryTraits::Close(Value handle) noexcept {
  win::KeepingLastError<win::LibraryTraits>::Close(AsModule(handle));
}

std::variant<DynamicLibrary, LibraryLoadFailure> DynamicLibrary::Load(const std::string& path) {
  // A bare or relative name would be searched for along the library search
  // path, the program's and the working directory included.
  if (!IsFullPath(path))
    return LibraryLoadFailure{"cannot load library '" + path + "': not a full path"};
  HMODULE module = nullptr;
  DWORD lastError = 0;
  {
    const win::ErrorMode quiet = win::SetErrorModeForScope(kQuietErrorMode);
    // The altered search order looks for the libraries that this one needs
    // in its own folder first instead of the program's folder.
    module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    lastError = GetLastError();
  }
  if (!module)
    return LibraryLoadFailure{"cannot load library '" + path + "': Windows error " +
                              std::to_string(lastError)};
  return DynamicLibrary(module);
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (!handle_) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(AsModule(handle_.Get()), name));
}

}  // namespace pelmora::archive
