// Files as the setup and the uninstaller read and write them. Every call
// that can fail for a reason the caller shows returns Windows' error code
// (ERROR_SUCCESS when it worked), alone or beside the value it reads.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/WinHandle.h"

namespace pelmora::winsupport {

// A write that stored fewer bytes than it was given: the medium is full.
inline constexpr DWORD kShortWrite = ERROR_HANDLE_DISK_FULL;

// Whether path names a file (not a folder), or a folder.
bool IsExistingFile(const std::string& path);
bool IsExistingFolder(const std::string& path);

// Whether base (a folder, ending in "\\") or a folder between it and path
// is a junction or symbolic link, as the file system says right now: a way
// out of base that an elevated program must not take. path lies below base.
bool PassesThroughLink(const std::string& base, const std::string& path);

// Creates path with every missing parent and returns the folders this call
// created, outermost first. A folder that cannot be made is left for the
// caller to notice (it then does not exist).
std::vector<std::string> CreateFolderTree(const std::string& path);

// Reads exactly size bytes from the file's current position; ERROR_HANDLE_EOF
// when it ends first.
DWORD ReadExactly(HANDLE file, void* buffer, std::size_t size);

// Writes all size bytes at the file's current position; kShortWrite when a
// write stores fewer than it was given.
DWORD WriteAll(HANDLE file, const void* bytes, std::size_t size);

// The file's bytes from its start, at most limit of them: a caller that
// asks for one byte more than it accepts learns that the file is too large
// without reading all of it.
std::variant<std::string, DWORD> ReadFileStart(const std::string& path, std::size_t limit);

// The same from a file the caller holds open, from its current position.
std::variant<std::string, DWORD> ReadUpTo(HANDLE file, std::size_t limit);

// A file read whole and kept open with only readers allowed beside: no one
// can change, replace or delete it while the holder lives (a library can
// still be loaded from it, which only reads).
struct HeldFile {
  win::UniqueHandle handle;
  std::string bytes;
};

// Nothing when the file cannot be opened or read, is larger than limit, or
// is a link (which is never followed).
std::optional<HeldFile> ReadAndHold(const std::string& path, std::size_t limit);

// Appends bytes to path, creating it when missing; what it held stays.
DWORD AppendToFile(const std::string& path, std::string_view bytes);

}  // namespace pelmora::winsupport
