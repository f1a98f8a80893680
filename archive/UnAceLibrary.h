// The extraction library as the component uses it: the file looked for in a
// folder, and its five exports, all present or the library is not used.
#pragma once

#include <string>
#include <variant>

#include "archive/DynamicLibrary.h"
#include "unace/UnAceApi.h"

namespace pelmora::archive {

// File name of the library on this platform (UnAceLibraryName_win.cpp,
// UnAceLibraryName_posix.cpp).
extern const char* const kUnAceLibraryName;

// `folder` + the library's file name, with the platform's separator between
// them unless `folder` ends with one.
std::string UnAceLibraryPath(const std::string& folder);

struct UnAceExports {
  ACEOpenArchiveFn OpenArchive = nullptr;
  ACECloseArchiveFn CloseArchive = nullptr;
  ACEReadHeaderFn ReadHeader = nullptr;
  ACEProcessFileFn ProcessFile = nullptr;
  ACESetPasswordFn SetPassword = nullptr;
};

class UnAceLibrary {
 public:
  // Loads the library from `folder`, which must be a full path (IsFullPath);
  // a relative one is refused without looking at it. A failure when the
  // folder is refused, the file cannot be loaded or lacks one of the
  // exports, saying which.
  static std::variant<UnAceLibrary, LibraryLoadFailure> Load(const std::string& folder);

  const UnAceExports& Exports() const { return exports_; }

 private:
  UnAceLibrary(DynamicLibrary library, const UnAceExports& exports)
      : library_(std::move(library)), exports_(exports) {}

  DynamicLibrary library_;
  UnAceExports exports_;
};

}  // namespace pelmora::archive
