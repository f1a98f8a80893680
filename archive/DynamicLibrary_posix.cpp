#include <dlfcn.h>

#include "archive/DynamicLibrary.h"

namespace pelmora::archive {

void LoadedLibraryTraits::Close(Value handle) noexcept { dlclose(handle); }

std::variant<DynamicLibrary, LibraryLoadFailure> DynamicLibrary::Load(const std::string& path) {
  // RTLD_NOW: a library with unresolved symbols fails here rather than in the
  // middle of an archive walk; RTLD_LOCAL keeps its symbols out of ours.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* reason = dlerror();
    return LibraryLoadFailure{"cannot load library '" + path +
                              "': " + (reason ? reason : "unknown reason")};
  }
  return DynamicLibrary(handle);
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (!handle_) return nullptr;
  return dlsym(handle_.Get(), name);
}

}  // namespace pelmora::archive
