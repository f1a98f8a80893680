#include <windows.h>

#include <cstdio>
#include <utility>
#include <vector>

#include "archive/LibraryDeployment.h"

namespace pelmora::archive {

namespace {

// Spelled as each step always has; Windows compares file names without
// regard to case, so all of them meet in one file.
constexpr const char* kWrittenName = "UnACE.dll";
constexpr const char* kResourceName = "UnACE";
constexpr const char* kResourceType = "DLL";
constexpr const char* kRemovedName = "UnAce.dll";

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() { Close(); }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool IsValid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    if (!IsValid()) return true;
    return CloseHandle(std::exchange(handle_, INVALID_HANDLE_VALUE)) != 0;
  }

 private:
  HANDLE handle_;
};

std::string Format(const char* pattern, const std::string& argument) {
  const int length = std::snprintf(nullptr, 0, pattern, argument.c_str());
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, pattern, argument.c_str());
  return text;
}

// The folder of the program file, with its trailing "\".
std::string ProgramFolder() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::string();
    if (length < buffer.size()) {
      std::string path(buffer.data(), length);
      const std::size_t slash = path.find_last_of("\\/:");
      return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool WriteAll(HANDLE file, const void* data, DWORD size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(file, bytes, size, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

}  // namespace

void SaveResourceToFile(const std::string& fileName, const std::string& resourceName,
                        const std::string& resourceType) {
  HRSRC resource = FindResourceA(nullptr, resourceName.c_str(), resourceType.c_str());
  HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) throw DeploymentError(Format("Ressource %s wurde nicht gefunden", resourceName));
  const DWORD size = SizeofResource(nullptr, resource);

  const std::string path = ProgramFolder() + fileName;
  const std::string failure = Format("Datei %s kann nicht erstellt werden", path);
  FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.IsValid()) throw DeploymentError(failure);
  const bool complete = WriteAll(file.Get(), data, size);
  if (!file.Close() || !complete) {
    DeleteFileA(path.c_str());
    throw DeploymentError(failure);
  }
}

void DeployExtractionLibrary(const std::string& setupDir) {
  if (FileExists(setupDir + kWrittenName)) return;
  SaveResourceToFile(kWrittenName, kResourceName, kResourceType);
}

void RemoveExtractionLibrary(const std::string& setupDir) noexcept {
  try {
    DeleteFileA((setupDir + kRemovedName).c_str());
  } catch (...) {
    // Only allocating the path can throw; the file then simply stays.
  }
}

void RemoveExtractionLibraryIfPresent(const std::string& setupDir) noexcept {
  try {
    const std::string path = setupDir + kRemovedName;
    if (FileExists(path)) DeleteFileA(path.c_str());
  } catch (...) {
    // As above: the file stays.
  }
}

}  // namespace pelmora::archive
