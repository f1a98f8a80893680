#include <windows.h>

#include <utility>

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

DynamicLibrary::~DynamicLibrary() { Unload(); }

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    Unload();
    handle_ = std::exchange(other.handle_, nullptr);
  }
  return *this;
}

DynamicLibrary DynamicLibrary::Load(const std::string& path, std::string* error) {
  // A bare or relative name would be searched for along the library search
  // path, the program's and the working directory included.
  if (!IsFullPath(path)) {
    if (error) *error = "cannot load library '" + path + "': not a full path";
    return DynamicLibrary();
  }
  HMODULE module = nullptr;
  DWORD lastError = 0;
  {
    const win::ErrorMode quiet = win::SetErrorModeForScope(kQuietErrorMode);
    // The altered search order looks for the libraries that this one needs
    // in its own folder first instead of the program's folder.
    module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    lastError = GetLastError();
  }
  if (!module && error)
    *error = "cannot load library '" + path + "': Windows error " + std::to_string(lastError);
  return DynamicLibrary(module);
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (!handle_) return nullptr;
  return reinterpret_cast<void*>(GetProcAddress(AsModule(handle_), name));
}

void DynamicLibrary::Unload() noexcept {
  if (handle_) FreeLibrary(AsModule(std::exchange(handle_, nullptr)));
}

}  // namespace pelmora::archive
