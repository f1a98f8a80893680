#include "archive/UnAceLibrary.h"

#include <utility>

#include "archive/FullPath.h"
#include "unace/fs/PathSeparator.h"

namespace pelmora::archive {

std::string UnAceLibraryPath(const std::string& folder) {
  const char separator = unace::fs::kPathSeparator;
  if (!folder.empty() && folder.back() == separator) return folder + kUnAceLibraryName;
  return folder + separator + kUnAceLibraryName;
}

std::variant<UnAceLibrary, LibraryLoadFailure> UnAceLibrary::Load(const std::string& folder) {
  // Refused before anything is looked up, so a relative folder never reaches
  // the file system.
  if (!IsFullPath(folder))
    return LibraryLoadFailure{"library folder '" + folder + "' is not a full path"};
  const std::string path = UnAceLibraryPath(folder);
  std::variant<DynamicLibrary, LibraryLoadFailure> loaded = DynamicLibrary::Load(path);
  if (LibraryLoadFailure* failure = std::get_if<LibraryLoadFailure>(&loaded))
    return std::move(*failure);
  // The failure was handled above.
  DynamicLibrary& library = *std::get_if<DynamicLibrary>(&loaded);

  UnAceExports exports;
  exports.OpenArchive = library.Find<ACEOpenArchiveFn>("ACEOpenArchive");
  exports.CloseArchive = library.Find<ACECloseArchiveFn>("ACECloseArchive");
  exports.ReadHeader = library.Find<ACEReadHeaderFn>("ACEReadHeader");
  exports.ProcessFile = library.Find<ACEProcessFileFn>("ACEProcessFile");
  exports.SetPassword = library.Find<ACESetPasswordFn>("ACESetPassword");

  const std::pair<const void*, const char*> required[] = {
      {reinterpret_cast<const void*>(exports.OpenArchive), "ACEOpenArchive"},
      {reinterpret_cast<const void*>(exports.CloseArchive), "ACECloseArchive"},
      {reinterpret_cast<const void*>(exports.ReadHeader), "ACEReadHeader"},
      {reinterpret_cast<const void*>(exports.ProcessFile), "ACEProcessFile"},
      {reinterpret_cast<const void*>(exports.SetPassword), "ACESetPassword"},
  };
  for (const auto& [address, name] : required) {
    if (!address)  // `library` unloads itself
      return LibraryLoadFailure{"library '" + path + "' lacks the export '" + name + "'"};
  }
  return UnAceLibrary(std::move(library), exports);
}

}  // namespace pelmora::archive
