// A shared library loaded at run time: LoadLibrary/GetProcAddress/FreeLibrary
// on Windows, dlopen/dlsym/dlclose elsewhere. Move-only; the destructor
// unloads the library, so a caller cannot forget to on any way out.
#pragma once

#include <string>

namespace pelmora::archive {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary();
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Loads the library file at `path`. On Windows the path must be full
  // (IsFullPath) and the libraries it needs are looked for in its own folder
  // first. On failure the result is not loaded and `error` (when given) says
  // which file failed and why.
  static DynamicLibrary Load(const std::string& path, std::string* error = nullptr);

  bool IsLoaded() const { return handle_ != nullptr; }
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
  void Unload() noexcept;

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_ = nullptr;
};

}  // namespace pelmora::archive
