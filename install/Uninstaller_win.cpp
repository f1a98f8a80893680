#include "install/Uninstaller_win.h"

#include <windows.h>

#include <optional>
#include <variant>

#include "common/WinHandle.h"
#include "contract/ProductFiles.h"
#include "winsupport/Files_win.h"

namespace pelmora::install {
namespace {

win::UniqueHandle Open(const std::string& path, DWORD access, DWORD disposition) {
  return win::UniqueHandle(::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr,
                                         disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<common::WinFailure> FileFailure(const std::string& path) {
  return common::Failed(common::WinFailure::Subject::File, path, ::GetLastError());
}

std::optional<common::WinFailure> CopyFileInBlocks(const std::string& sourcePath,
                                                   const std::string& destinationPath,
                                                   const CopyProgress& progress) {
  const win::UniqueHandle source = Open(sourcePath, GENERIC_READ, OPEN_EXISTING);
  if (!source) return FileFailure(sourcePath);
  const DWORD size = ::GetFileSize(source.Get(), nullptr);
  if (size == INVALID_FILE_SIZE) return FileFailure(sourcePath);
  win::UniqueHandle destination = Open(destinationPath, GENERIC_WRITE, CREATE_ALWAYS);
  if (!destination) return FileFailure(destinationPath);
  if (auto failure = CopyBlocks(
          [&](std::span<char> buffer) -> common::WinResult<std::size_t> {
            DWORD read = 0;
            if (!::ReadFile(source.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
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

// The copy's name while it is made: the uninstaller's with another extension.
std::string IncomingName() {
  const std::string name = contract::kUninstallerFileName;
  return name.substr(0, name.rfind('.')) + ".new";
}

}  // namespace

void MoveUninstaller(const std::string& targetDir, const std::string& windowsDir,
                     const CopyProgress& progress, StepReport& report) {
  const std::string source = targetDir + contract::kUninstallerFileName;
  if (!winsupport::IsExistingFile(source)) return;
  const std::string installed = windowsDir + contract::kUninstallerFileName;
  const std::string incoming = windowsDir + IncomingName();
  std::optional<common::WinFailure> failure = CopyFileInBlocks(source, incoming, progress);
  if (!failure) {
    // MoveFileEx's replacing is missing from the 9x family.
    ::DeleteFileA(installed.c_str());
    if (!::MoveFileA(incoming.c_str(), installed.c_str())) failure = FileFailure(installed);
  }
  if (failure) {
    ::DeleteFileA(incoming.c_str());
    report.Fail(*failure);
    return;
  }
  ::DeleteFileA(source.c_str());
}

}  // namespace pelmora::install
