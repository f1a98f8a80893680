#include <windows.h>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "archive/LibraryDeployment_win.h"
#include "archive/UnAceLibrary.h"
#include "common/ProgramPath.h"
#include "common/WinHandle.h"
#include "winsupport/Files_win.h"
#include "winsupport/PackedResource_win.h"

namespace pelmora::archive {

namespace {

constexpr const char* kResourceName = "UnACE";
constexpr const char* kResourceType = "DLL";

// Names tried for the private folder before giving up; each clash means
// someone else holds that name, and the next one is tried.
constexpr int kPrivateFolderAttempts = 100;

std::string CannotCreate(const std::string& path) {
  return "Datei " + path + " kann nicht erstellt werden";
}

using EmbeddedBytes = std::vector<unsigned char>;

// The program's own packed resource, unpacked, or why not.
std::variant<EmbeddedBytes, DeploymentFailure> LoadEmbedded(const std::string& name,
                                                            const std::string& type) {
  auto loaded = winsupport::LoadPackedResource(nullptr, name.c_str(), type.c_str());
  if (const auto* problem = std::get_if<winsupport::ResourceProblem>(&loaded))
    return DeploymentFailure{"Ressource " + name +
                             (*problem == winsupport::ResourceProblem::Missing
                                  ? " wurde nicht gefunden"
                                  : " ist beschädigt")};
  return std::move(std::get<EmbeddedBytes>(loaded));
}

// Writes `bytes` to `path` (`disposition` CREATE_NEW or CREATE_ALWAYS); a
// partly written file is removed again.
bool WriteFileAt(const std::string& path, const EmbeddedBytes& bytes, DWORD disposition) {
  win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const bool complete =
      winsupport::WriteAll(file.Get(), bytes.data(), bytes.size()) == ERROR_SUCCESS;
  // A close that fails can mean the data never reached the medium.
  const bool closed = win::CloseChecked(std::move(file)) == ERROR_SUCCESS;
  if (closed && complete) return true;
  DeleteFileA(path.c_str());
  return false;
}

bool HasBytes(HANDLE file, const EmbeddedBytes& expected) {
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  if (high != 0 || low != expected.size()) return false;
  std::vector<unsigned char> content(expected.size());
  return winsupport::ReadExactly(file, content.data(), low) == ERROR_SUCCESS && content == expected;
}

enum class Found { kMissing, kEqual, kUnusable };

// Opens `path` for reading while letting others only read it, so that from
// here on nobody can write, replace or delete it; the loader, which only
// reads, can still map it. `guard` keeps that handle when the bytes equal
// `expected`.
Found OpenIfEqual(const std::string& path, const EmbeddedBytes& expected,
                  win::UniqueHandle& guard) {
  win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Found::kMissing
                                                                          : Found::kUnusable;
  }
  if (!HasBytes(file.Get(), expected)) return Found::kUnusable;
  guard = std::move(file);
  return Found::kEqual;
}

// The user's temporary folder with its trailing "\"; empty when unknown.
std::string TemporaryFolder() {
  char buffer[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathA(sizeof buffer, buffer);
  if (length == 0 || length >= sizeof buffer) return {};
  std::string folder(buffer, length);
  if (folder.back() != '\\') folder += '\\';
  return folder;
}

// A folder that this call created, so that nothing can have been put into
// it beforehand; empty when none could be made.
std::string CreateFreshFolder(const std::string& parent) {
  if (parent.empty()) return {};
  const std::string stem = parent + "PelmoraSetup-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount()) + "-";
  for (int attempt = 0; attempt < kPrivateFolderAttempts; ++attempt) {
    const std::string folder = stem + std::to_string(attempt);
    if (CreateDirectoryA(folder.c_str(), nullptr)) return folder + '\\';
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

}  // namespace

std::optional<DeploymentFailure> SaveResourceToFile(const std::string& fileName,
                                                    const std::string& resourceName,
                                                    const std::string& resourceType) {
  const auto bytes = LoadEmbedded(resourceName, resourceType);
  if (const auto* failure = std::get_if<DeploymentFailure>(&bytes)) return *failure;
  const std::string path = win::OwnProgramFolder() + fileName;
  if (!WriteFileAt(path, std::get<EmbeddedBytes>(bytes), CREATE_ALWAYS))
    return DeploymentFailure{CannotCreate(path)};
  return std::nullopt;
}

void RemoveExtractionLibrary(const std::string& setupDir) noexcept {
  DeleteFileA((setupDir + kUnAceLibraryName).c_str());
}

ExtractionLibraryFile::ExtractionLibraryFile(std::string programFolder)
    : programFolder_(std::move(programFolder)) {}

std::string ExtractionLibraryFile::LibraryPath() const {
  return folder_.empty() ? std::string() : folder_ + kUnAceLibraryName;
}

std::optional<DeploymentFailure> ExtractionLibraryFile::Deploy() {
  if (placement_ != LibraryPlacement::kNone) return std::nullopt;
  const auto loaded = LoadEmbedded(kResourceName, kResourceType);
  if (const auto* failure = std::get_if<DeploymentFailure>(&loaded)) return *failure;
  const EmbeddedBytes& library = std::get<EmbeddedBytes>(loaded);

  const std::string besideProgram = programFolder_ + kUnAceLibraryName;
  switch (OpenIfEqual(besideProgram, library, guard_)) {
    case Found::kEqual:
      folder_ = programFolder_;
      placement_ = LibraryPlacement::kCarriedBesideProgram;
      return std::nullopt;
    case Found::kMissing:
      // CREATE_NEW: a file that appeared meanwhile is not ours to replace.
      // Read back through the guard, so what is loaded is what was written.
      if (WriteFileAt(besideProgram, library, CREATE_NEW)) {
        if (OpenIfEqual(besideProgram, library, guard_) == Found::kEqual) {
          folder_ = programFolder_;
          placement_ = LibraryPlacement::kWrittenBesideProgram;
          return std::nullopt;
        }
        DeleteFileA(besideProgram.c_str());
      }
      break;
    case Found::kUnusable:
      // Someone else's file: left exactly as it is.
      break;
  }

  const std::string privateFolder = CreateFreshFolder(TemporaryFolder());
  if (!privateFolder.empty()) {
    const std::string path = privateFolder + kUnAceLibraryName;
    if (WriteFileAt(path, library, CREATE_NEW) &&
        OpenIfEqual(path, library, guard_) == Found::kEqual) {
      folder_ = privateFolder;
      placement_ = LibraryPlacement::kWrittenToPrivateFolder;
      return std::nullopt;
    }
    DeleteFileA(path.c_str());
    RemoveDirectoryA(privateFolder.c_str());
  }
  return DeploymentFailure{CannotCreate(besideProgram)};
}

void ExtractionLibraryFile::Remove() noexcept {
  const LibraryPlacement placement = std::exchange(placement_, LibraryPlacement::kNone);
  const std::string folder = std::exchange(folder_, std::string());
  guard_.Reset();  // before deleting: the guard denies deletion to everyone
  switch (placement) {
    case LibraryPlacement::kWrittenBesideProgram:
      DeleteFileA((folder + kUnAceLibraryName).c_str());
      break;
    case LibraryPlacement::kWrittenToPrivateFolder:
      DeleteFileA((folder + kUnAceLibraryName).c_str());
      RemoveDirectoryA(folder.c_str());
      break;
    case LibraryPlacement::kCarriedBesideProgram:
    case LibraryPlacement::kNone:
      break;
  }
}

}  // namespace pelmora::archive
