#include <windows.h>

#include <cstdio>

#include "archive/LibraryDeployment.h"
#include "common/ProgramPath.h"
#include "common/WinHandle.h"

namespace pelmora::archive {

namespace {

// Spelled as each step always has; Windows compares file names without
// regard to case, so all of them meet in one file.
constexpr const char* kWrittenName = "UnACE.dll";
constexpr const char* kResourceName = "UnACE";
constexpr const char* kResourceType = "DLL";
constexpr const char* kRemovedName = "UnAce.dll";

std::string Format(const char* pattern, const std::string& argument) {
  const int length = std::snprintf(nullptr, 0, pattern, argument.c_str());
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  std::snprintf(text.data(), text.size() + 1, pattern, argument.c_str());
  return text;
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

  const std::string path = win::OwnProgramFolder() + fileName;
  const std::string failure = Format("Datei %s kann nicht erstellt werden", path);
  win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw DeploymentError(failure);
  const bool complete = WriteAll(file.Get(), data, size);
  // Closed here rather than by the owner: a close that fails can mean the
  // data never reached the medium.
  const bool closed = CloseHandle(file.Release()) != 0;
  if (!closed || !complete) {
    DeleteFileA(path.c_str());
    throw DeploymentError(failure);
  }
}

bool DeployExtractionLibrary(const std::string& setupDir) {
  if (FileExists(setupDir + kWrittenName)) return false;
  SaveResourceToFile(kWrittenName, kResourceName, kResourceType);
  return true;
}

void RemoveExtractionLibrary(const std::string& setupDir) noexcept {
  try {
    DeleteFileA((setupDir + kRemovedName).c_str());
  } catch (...) {
    // Only allocating the path can throw; the file then simply stays.
  }
}

void ExtractionLibraryFile::Remove() noexcept {
  if (!writtenByThisRun_) return;
  writtenByThisRun_ = false;
  RemoveExtractionLibrary(setupDir_);
}

}  // namespace pelmora::archive
