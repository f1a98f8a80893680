#include <windows.h>

#include <vector>

#include "common/WinHandle.h"
#include "winsupport/LibrarySearch_win.h"
#include "winsupport/SystemInfo_win.h"
#include "winrules/VersionText.h"

namespace pelmora::winsupport {
namespace {

// version.dll is not among the libraries Windows always takes from the
// system folder, so it is not imported: a copy beside the setup program
// would be loaded in its place. It is loaded from the system folder by its
// full path on first use and kept until the program ends.
struct VersionFunctions {
  win::LoadedLibrary library = LoadSystemLibrary("version.dll");
  decltype(&::GetFileVersionInfoSizeA) infoSize =
      win::LookUpExport<decltype(infoSize)>(library.Get(), "GetFileVersionInfoSizeA");
  decltype(&::GetFileVersionInfoA) info =
      win::LookUpExport<decltype(info)>(library.Get(), "GetFileVersionInfoA");
  decltype(&::VerQueryValueA) query =
      win::LookUpExport<decltype(query)>(library.Get(), "VerQueryValueA");

  bool Available() const { return infoSize && info && query; }
};

const VersionFunctions& Version() {
  static const VersionFunctions functions;
  return functions;
}

}  // namespace

std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& path) {
  const VersionFunctions& version = Version();
  if (!version.Available()) return std::nullopt;
  DWORD ignored = 0;
  const DWORD size = version.infoSize(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> resource(size);
  if (!version.info(path.c_str(), 0, size, resource.data())) return std::nullopt;
  void* block = nullptr;
  UINT blockSize = 0;
  char root[] = "\\";
  if (!version.query(resource.data(), root, &block, &blockSize) || block == nullptr ||
      blockSize < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
  return FixedFileVersion{info->dwFileVersionMS, info->dwFileVersionLS, info->dwProductVersionMS,
                          info->dwProductVersionLS};
}

std::string GetFileVersionString(const std::string& path) {
  const auto version = ReadFixedFileVersion(path);
  if (!version) return winrules::kNoFileVersion;
  return winrules::FormatFileVersion(version->fileMS, version->fileLS);
}

}  // namespace pelmora::winsupport
