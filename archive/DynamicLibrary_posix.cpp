#include "archive/DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace pelmora::archive {

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
  // RTLD_NOW: a library with unresolved symbols fails here rather than in the
  // middle of an archive walk; RTLD_LOCAL keeps its symbols out of ours.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle && error) {
    const char* reason = dlerror();
    *error = "cannot load library '" + path + "': " + (reason ? reason : "unknown reason");
  }
  return DynamicLibrary(handle);
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (!handle_) return nullptr;
  return dlsym(handle_, name);
}

void DynamicLibrary::Unload() noexcept {
  if (handle_) dlclose(std::exchange(handle_, nullptr));
}

}  // namespace pelmora::archive
