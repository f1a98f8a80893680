#include "install/Uninstaller_win.h"

#include <windows.h>

#include "common/WinHandle.h"
#include "install/ExistingFile_win.h"
#include "install/RunErrors.h"
#include "install/UninstallValues.h"

namespace pelmora::install {
namespace {

IoError LastIoError() { return IoError(static_cast<int>(::GetLastError())); }

win::UniqueHandle OpenOrThrow(const std::string& path, DWORD access, DWORD disposition) {
  win::UniqueHandle file(::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw LastIoError();
  return file;
}

void CopyFileInBlocks(const std::string& sourcePath, const std::string& destinationPath,
                      const CopyProgress& progress) {
  const win::UniqueHandle source = OpenOrThrow(sourcePath, GENERIC_READ, OPEN_EXISTING);
  const DWORD size = ::GetFileSize(source.Get(), nullptr);
  if (size == INVALID_FILE_SIZE) throw LastIoError();
  win::UniqueHandle destination = OpenOrThrow(destinationPath, GENERIC_WRITE, CREATE_ALWAYS);
  CopyBlocks(
      [&](std::span<char> buffer) -> std::size_t {
        DWORD read = 0;
        if (!::ReadFile(source.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                        nullptr))
          throw LastIoError();
        return read;
      },
      [&](std::span<const char> bytes) -> std::size_t {
        DWORD written = 0;
        if (!::WriteFile(destination.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                         &written, nullptr))
          throw LastIoError();
        return written;
      },
      size, progress);
  // Closing may be where a full disk shows.
  if (!::CloseHandle(destination.Release())) throw LastIoError();
}

}  // namespace

void MoveUninstaller(const std::string& targetDir, const std::string& windowsDir,
                     const CopyProgress& progress) {
  const std::string source = targetDir + kUninstallerFileName;
  if (!IsExistingFile(source)) return;
  const std::string installed = windowsDir + kUninstallerFileName;
  const std::string incoming = windowsDir + "stUnInst.new";
  try {
    CopyFileInBlocks(source, incoming, progress);
    // MoveFileEx's replacing is missing from the 9x family.
    ::DeleteFileA(installed.c_str());
    if (!::MoveFileA(incoming.c_str(), installed.c_str())) throw LastIoError();
  } catch (...) {
    ::DeleteFileA(incoming.c_str());
    throw;
  }
  ::DeleteFileA(source.c_str());
}

}  // namespace pelmora::install
