#include <windows.h>

#include <vector>

#include "winsupport/SystemInfo.h"
#include "winsupport/VersionText.h"

namespace pelmora::winsupport {

std::optional<FixedFileVersion> ReadFixedFileVersion(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<unsigned char> resource(size);
  if (!::GetFileVersionInfoA(path.c_str(), 0, size, resource.data())) return std::nullopt;
  void* block = nullptr;
  UINT blockSize = 0;
  char root[] = "\\";
  if (!::VerQueryValueA(resource.data(), root, &block, &blockSize) || block == nullptr ||
      blockSize < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
  return FixedFileVersion{info->dwFileVersionMS, info->dwFileVersionLS, info->dwProductVersionMS,
                          info->dwProductVersionLS};
}

std::string GetFileVersionString(const std::string& path) {
  const auto version = ReadFixedFileVersion(path);
  if (!version) return kNoFileVersion;
  return FormatFileVersion(version->fileMS, version->fileLS);
}

}  // namespace pelmora::winsupport
