#include "install/Uninstaller_win.h"

#include <windows.h>

#include "common/WinHandle.h"
#include "contract/ProductFiles.h"
#include "install/IoErrors_win.h"
#include "winsupport/Files_win.h"

namespace pelmora::install {
namespace {

win::UniqueHandle OpenOrThrow(const std::string& path, DWORD access, DWORD disposition) {
  win::UniqueHandle file(::CreateFileA(path.c_str(), access, FILE_SHARE_READ, nullptr, disposition,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw IoErrorFromWindows(::GetLastError());
  return file;
}

void CopyFileInBlocks(const std::string& sourcePath, const std::string& destinationPath,
                      const CopyProgress& progress) {
  const win::UniqueHandle source = OpenOrThrow(sourcePath, GENERIC_READ, OPEN_EXISTING);
  const DWORD size = ::GetFileSize(source.Get(), nullptr);
  if (size == INVALID_FILE_SIZE) throw IoErrorFromWindows(::GetLastError());
  win::UniqueHandle destination = OpenOrThrow(destinationPath, GENERIC_WRITE, CREATE_ALWAYS);
  CopyBlocks(
      [&](std::span<char> buffer) -> std::size_t {
        DWORD read = 0;
        if (!::ReadFile(source.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                        nullptr))
          throw IoErrorFromWindows(::GetLastError());
        return read;
      },
      [&](std::span<const char> bytes) -> std::size_t {
        DWORD written = 0;
        if (!::WriteFile(destination.Get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                         &written, nullptr))
          throw IoErrorFromWindows(::GetLastError());
        return written;
      },
      size, progress);
  if (const DWORD closed = winsupport::CloseChecked(std::move(destination)))
    throw IoErrorFromWindows(closed);
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
  try {
    CopyFileInBlocks(source, incoming, progress);
    // MoveFileEx's replacing is missing from the 9x family.
    ::DeleteFileA(installed.c_str());
    if (!::MoveFileA(incoming.c_str(), installed.c_str()))
      throw IoErrorFromWindows(::GetLastError());
  } catch (const IoError& e) {
    ::DeleteFileA(incoming.c_str());
    report.Fail(e.what());
    return;
  } catch (...) {
    ::DeleteFileA(incoming.c_str());
    throw;
  }
  ::DeleteFileA(source.c_str());
}

}  // namespace pelmora::install
