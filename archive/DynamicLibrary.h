// A shared library loaded at run time: LoadLibrary/GetProcAddress/FreeLibrary
// on Windows (DynamicLibrary_win.cpp), dlopen/dlsym/dlclose elsewhere
// (DynamicLibrary_posix.cpp). Move-only and owned through the one owner
// template, so no way out can forget to unload it.
#pragma once

#include <string>
#include <variant>

#include "common/UniqueResource.h"

namespace pelmora::archive {

// The handle as both platforms can hold it: an HMODULE, or what dlopen gives.
struct LoadedLibraryTraits {
  using Value = void*;
  static Value Empty() noexcept { return nullptr; }
  static bool IsValid(Value handle) noexcept { return handle != nullptr; }
  // FreeLibrary (keeping the thread's last error) or dlclose.
  static void Close(Value handle) noexcept;
};

// Why a library was not loaded: the file and what failed.
struct LibraryLoadFailure {
  std::string text;
};

class DynamicLibrary {
 public:
  // Loads the library file at `path`. On Windows the path must be full
  // (IsFullPath) and the libraries it needs are looked for in its own folder
  // first.
  static std::variant<DynamicLibrary, LibraryLoadFailure> Load(const std::string& path);

  bool IsLoaded() const { return static_cast<bool>(handle_); }
  explicit operator bool() const { return IsLoaded(); }

  // Address of the exported symbol `name`, or null when it is missing or
  // nothing is loaded.
  void* Symbol(const char* name) const;

  // The exported function `name` as the given function-pointer type.
  template <typename FunctionPointer>
  FunctionPointer Find(const char* name) const {
    return reinterpret_cast<FunctionPointer>(Symbol(name));
  }

  // Unloads now (no-op when nothing is loaded).
  void Unload() noexcept { handle_.Reset(); }

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  common::UniqueResource<LoadedLibraryTraits> handle_;
};

}  // namespace pelmora::archive
