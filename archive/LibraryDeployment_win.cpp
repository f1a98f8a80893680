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
#include "winsupport/FolderSecurity_win.h"
#include "winsupport/PackedResource_win.h"
#include "winsupport/SystemInfo_win.h"

namespace pelmora::archive {

using common::WinFailure;
using Subject = common::WinFailure::Subject;

namespace {

constexpr const char* kResourceName = "UnACE";
constexpr const char* kResourceType = "DLL";

// Names tried for the private folder before giving up; each clash means
// someone else holds that name, and the next one is tried.
constexpr int kPrivateFolderAttempts = 100;

using EmbeddedBytes = std::vector<unsigned char>;

// Writes `bytes` to `path` (`disposition` CREATE_NEW or CREATE_ALWAYS); a
// partly written file is removed again.
std::optional<WinFailure> WriteFileAt(const std::string& path, const EmbeddedBytes& bytes,
                                      DWORD disposition) {
  win::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return common::Failed(Subject::File, path, GetLastError());
  const auto written = winsupport::WriteAll(file.Get(), path, bytes.data(), bytes.size());
  // A close that fails can mean the data never reached the medium.
  const auto closed = win::CloseChecked(std::move(file), path);
  if (!written && !closed) return std::nullopt;
  DeleteFileA(path.c_str());
  return common::Failed(Subject::File, path, (written ? written : closed)->code);
}

bool HasBytes(HANDLE file, const std::string& path, const EmbeddedBytes& expected) {
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return false;
  if (high != 0 || low != expected.size()) return false;
  std::vector<unsigned char> content(expected.size());
  return !winsupport::ReadExactly(file, path, content.data(), low) && content == expected;
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
  if (!HasBytes(file.Get(), path, expected)) return Found::kUnusable;
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
// it beforehand; empty when none could be made. Elevated, it is made as
// every folder of the setup is: the same account without elevation, which
// may write in its temporary folder, cannot write in this one.
std::string CreateFreshFolder(const std::string& parent) {
  if (parent.empty()) return {};
  SECURITY_ATTRIBUTES* const security =
      winsupport::RunsWithAdministratorRights() ? winsupport::ProtectedFolderAttributes() : nullptr;
  const std::string stem = parent + "PelmoraSetup-" + std::to_string(GetCurrentProcessId()) + "-" +
                           std::to_string(GetTickCount()) + "-";
  for (int attempt = 0; attempt < kPrivateFolderAttempts; ++attempt) {
    const std::string folder = stem + std::to_string(attempt);
    if (CreateDirectoryA(folder.c_str(), security)) return folder + '\\';
    if (GetLastError() != ERROR_ALREADY_EXISTS) return {};
  }
  return {};
}

}  // namespace

std::string DeploymentFailureText(const WinFailure& failure) {
  if (failure.subject == Subject::Resource)
    return "Ressource " + failure.what +
           (failure.code == ERROR_INVALID_DATA ? " ist beschädigt" : " wurde nicht gefunden");
  return "Datei " + failure.what + " kann nicht erstellt werden";
}

std::optional<WinFailure> SaveResourceToFile(const std::string& fileName,
                                             const std::string& resourceName,
                                             const std::string& resourceType) {
  auto bytes = winsupport::LoadPackedResource(nullptr, resourceName.c_str(), resourceType.c_str());
  if (auto* failure = std::get_if<WinFailure>(&bytes)) return std::move(*failure);
  return WriteFileAt(win::OwnProgramFolder() + fileName, std::get<EmbeddedBytes>(bytes),
                     CREATE_ALWAYS);
}

void RemoveExtractionLibrary(const std::string& setupDir) noexcept {
  DeleteFileA((setupDir + kUnAceLibraryName).c_str());
}

ExtractionLibraryFile::ExtractionLibraryFile(std::string programFolder)
    : programFolder_(std::move(programFolder)) {}

std::string ExtractionLibraryFile::LibraryPath() const {
  return folder_.empty() ? std::string() : folder_ + kUnAceLibraryName;
}

std::optional<WinFailure> ExtractionLibraryFile::Deploy() {
  if (placement_ != LibraryPlacement::kNone) return std::nullopt;
  auto loaded = winsupport::LoadPackedResource(nullptr, kResourceName, kResourceType);
  if (auto* failure = std::get_if<WinFailure>(&loaded)) return std::move(*failure);
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
      if (!WriteFileAt(besideProgram, library, CREATE_NEW)) {
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

  // The last attempt's code goes with the failure, which names the file
  // beside the program, where the library was looked for first.
  const std::string privateFolder = CreateFreshFolder(TemporaryFolder());
  DWORD code = GetLastError();
  if (!privateFolder.empty()) {
    const std::string path = privateFolder + kUnAceLibraryName;
    const auto failure = WriteFileAt(path, library, CREATE_NEW);
    if (!failure && OpenIfEqual(path, library, guard_) == Found::kEqual) {
      folder_ = privateFolder;
      placement_ = LibraryPlacement::kWrittenToPrivateFolder;
      return std::nullopt;
    }
    code = failure ? failure->code : ERROR_FILE_INVALID;
    DeleteFileA(path.c_str());
    RemoveDirectoryA(privateFolder.c_str());
  }
  return common::Failed(Subject::File, besideProgram, code);
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
