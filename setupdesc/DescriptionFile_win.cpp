#include "setupdesc/DescriptionFile.h"

#include <windows.h>

#include <memory>
#include <vector>

#include "setupdesc/SetupDescReader.h"
#include "setupdesc/SetupDir.h"

namespace pelmora::setupdesc {

namespace {

struct HandleCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
using FileHandle = std::unique_ptr<void, HandleCloser>;

FileReadError IoError(const std::string& path, DWORD code) {
  return FileReadError("E/A-Fehler " + std::to_string(code) + " (" + path + ")");
}

}  // namespace

std::string OwnProgramPath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);  // truncated: long paths exist
  }
}

std::optional<std::string> LoadDescriptionFile(const std::string& setupDir) {
  const std::string path = setupDir + kDescriptionFileName;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return std::nullopt;

  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    throw IoError(path, GetLastError());
  }
  std::string bytes;
  char chunk[16384];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) throw IoError(path, GetLastError());
    if (got == 0) break;
    bytes.append(chunk, got);
    if (bytes.size() > kMaxDescriptionBytes) break;  // enough to know it is too large
  }
  return bytes;
}

}  // namespace pelmora::setupdesc
