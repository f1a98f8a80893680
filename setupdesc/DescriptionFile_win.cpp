#include "setupdesc/DescriptionFile.h"

#include <windows.h>

#include "common/WinHandle.h"
#include "setupdesc/SetupDescReader.h"
#include "setupdesc/SetupDir.h"

namespace pelmora::setupdesc {

namespace {

FileReadError IoError(const std::string& path, DWORD code) {
  return FileReadError("E/A-Fehler " + std::to_string(code) + " (" + path + ")");
}

}  // namespace

std::optional<std::string> LoadDescriptionFile(const std::string& setupDir) {
  const std::string path = setupDir + kDescriptionFileName;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;

  const win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw IoError(path, GetLastError());
  std::string bytes;
  char chunk[16384];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr))
      throw IoError(path, GetLastError());
    if (got == 0) break;
    bytes.append(chunk, got);
    if (bytes.size() > kMaxDescriptionBytes) break;  // enough to know it is too large
  }
  return bytes;
}

}  // namespace pelmora::setupdesc
