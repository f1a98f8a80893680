#include "install/Uninstaller_win.h"

#include <windows.h>

#include <optional>
#include <variant>

#include "common/WinHandle.h"
#include "contract/ProductFiles.h"
#include "winrules/SharedFileVersion.h"
#include "winsupport/Files_win.h"
#include "winsupport/SystemInfo_win.h"

namespace pelmora::install {
namespace {

std::optional<common::WinFailure> FileFailure(const std::string& path) {
  return common::Failed(common::WinFailure::Subject::File, path, ::GetLastError());
}

// Copies the held source to destinationPath in blocks.
std::optional<common::WinFailure> CopyInBlocks(HANDLE source, const std::string& sourcePath,
                                               const std::string& destinationPath,
                                               const CopyProgress& progress) {
  const DWORD size = ::GetFileSize(source, nullptr);
  if (size == INVALID_FILE_SIZE) return FileFailure(sourcePath);
  win::UniqueHandle destination(::CreateFileA(destinationPath.c_str(), GENERIC_WRITE,
                                              FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!destination) return FileFailure(destinationPath);
  if (auto failure = CopyBlocks(
          [&](std::span<char> buffer) -> common::WinResult<std::size_t> {
            DWORD read = 0;
            if (!::ReadFile(source, buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                            nullptr))
              return common::FailedAs<std::size_t>(common::WinFailure::Subject::File, sourcePath,
                                                   ::GetLastError());
            return std::size_t{read};
          },
          [&](std::span<const char> bytes) {
            return winsupport::WriteAll(destination.Get(), destinationPath, bytes.data(),
                                        bytes.size());
          },
          size, progress))
    return failure;
  return win::CloseChecked(std::move(destination), destinationPath);
}

std::optional<winrules::FileVersionNumber> VersionOf(const std::string& path) {
  const auto version = winsupport::ReadFixedFileVersion(path);
  if (!version) return std::nullopt;
  return winrules::FileVersionNumber{version->fileMS, version->fileLS};
}

// The copy's name while it is made: the uninstaller's with another extension.
std::string IncomingName() {
  const std::string name = contract::kUninstallerFileName;
  return name.substr(0, name.rfind('.')) + ".new";
}

}  // namespace

void MoveUninstaller(const std::string& targetDir, const std::string& windowsDir,
                     bool targetTrusted, const CopyProgress& progress, StepReport& report) {
  const std::string source = targetDir + contract::kUninstallerFileName;
  if (!winsupport::IsExistingFile(source)) return;
  // Every later removal of any product runs the shared copy, as
  // administrator: it comes from nowhere another user could have written.
  if (!targetTrusted) {
    report.Fail({common::WinFailure::Subject::File, source, ERROR_ACCESS_DENIED});
    return;
  }
  auto held = winsupport::HoldForReading(source);
  if (auto* failure = std::get_if<common::WinFailure>(&held)) {
    report.Fail(*failure);
    return;
  }
  win::UniqueHandle& sourceHandle = std::get<win::UniqueHandle>(held);
  const std::string installed = windowsDir + contract::kUninstallerFileName;
  const std::string incoming = windowsDir + IncomingName();
  std::optional<common::WinFailure> failure =
      CopyInBlocks(sourceHandle.Get(), source, incoming, progress);
  // The versions are those of the bytes copied, read from the copy, which
  // only this run has written.
  if (!failure && !winrules::ReplacesSharedCopy(VersionOf(incoming), VersionOf(installed))) {
    ::DeleteFileA(incoming.c_str());
  } else if (!failure) {
    // MoveFileEx's replacing is missing from the 9x family.
    ::DeleteFileA(installed.c_str());
    if (!::MoveFileA(incoming.c_str(), installed.c_str())) failure = FileFailure(installed);
  }
  if (failure) {
    ::DeleteFileA(incoming.c_str());
    report.Fail(*failure);
    return;
  }
  // Held without delete sharing: let go before it goes.
  sourceHandle.Reset();
  ::DeleteFileA(source.c_str());
}

}  // namespace pelmora::install
